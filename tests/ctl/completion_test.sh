#!/usr/bin/env bash
# fenwickctl's bash completion, sourced into this shell and asked as bash asks it: COMP_WORDS
# and COMP_CWORD set, the function called, COMPREPLY compared (in any order) with what the
# command line accepts there: commands, each command's own options, files or folders after the
# options that name one, nothing after a value.
#   bash tests/ctl/completion_test.sh data/fenwickctl.bash-completion
set -uo pipefail
completion=$(realpath "$1")
# shellcheck source=data/fenwickctl.bash-completion
. "$completion"

said=$(complete -p fenwickctl 2>&1)
[ "$said" = "complete -F _fenwickctl fenwickctl" ] || {
    echo "fenwickctl's completion is not registered: $said" >&2
    exit 1
}

# Files to complete, where the names are known.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir cfgdir
touch image.hex pw.txt

failures=0
# expect 'WORD...' WORDS...: completing the last of WORDS offers exactly the expected words.
expect() {
    local want=$1
    shift
    COMP_WORDS=("$@")
    COMP_CWORD=$(($# - 1))
    COMPREPLY=()
    _fenwickctl
    local got wanted
    read -ra wanted <<<"$want"
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd ' ')
    want=$(printf '%s\n' "${wanted[@]}" | sort | paste -sd ' ')
    if [ "$got" != "$want" ]; then
        echo "completing '$*': got '$got', expected '$want'" >&2
        failures=$((failures + 1))
    fi
}

global='--config-dir --json --help'
commands='discover show set password upgrade watch'

# The command, after any options before it and their values (also written with "=").
expect "$commands" fenwickctl ''
expect 'set show' fenwickctl s
expect "$commands" fenwickctl --json ''
expect "$commands" fenwickctl --config-dir cfgdir ''
expect "$commands" fenwickctl --config-dir = cfgdir --json ''
expect "$global --version" fenwickctl -

# Each command's own options and the global ones, after the command.
expect "--wait $global" fenwickctl discover -
expect "$global" fenwickctl show -
expect "--ip --mask --gateway --trap-ip --name --location --password-file $global" \
    fenwickctl set -
expect "--password-file --new-password-file $global" fenwickctl password -
expect "--image --keep-going --password-file $global" fenwickctl upgrade -
expect "$global" fenwickctl watch -
expect --keep-going fenwickctl --json upgrade --image image.hex 10.0.0.1 --k
expect --name fenwickctl --config-dir cfgdir set 10.0.0.1 --n
expect '' fenwickctl frob -

# An empty word: the options where no DEVICE is wanted, nothing where one is.
expect "--wait $global" fenwickctl discover ''
expect "$global" fenwickctl watch ''
expect '' fenwickctl show ''
expect '' fenwickctl upgrade --image image.hex ''

# Values: files, folders or nothing.
expect 'cfgdir image.hex pw.txt' fenwickctl upgrade --image ''
expect image.hex fenwickctl upgrade --image i
expect image.hex fenwickctl upgrade --image = i
expect 'cfgdir image.hex pw.txt' fenwickctl set 10.0.0.1 --password-file =
expect pw.txt fenwickctl password 10.0.0.1 --new-password-file p
expect pw.txt fenwickctl --password-file p
expect cfgdir fenwickctl --config-dir ''
expect cfgdir fenwickctl show 10.0.0.1 --config-dir c
expect '' fenwickctl discover --wait ''
expect '' fenwickctl discover --wait = ''
expect '' fenwickctl set 10.0.0.1 --name ''
expect '' fenwickctl set 10.0.0.1 --ip 1

[ "$failures" -eq 0 ] || exit 1
echo "fenwickctl completion: every case offers what the command line accepts"
