#!/usr/bin/env bash
# The desktop walk (desktop_walk.py) in a lab of simulated switches: a private Xvfb display of
# 1280x1024 with the openbox window manager and a D-Bus session with the accessibility bus, all
# inside the lab's manager namespace, and the real fenwick with a cfg folder for the lab.
#   desktop_walk.sh FENWICK FENWICK_SWITCH FENWICK_DEFINE
# Reports itself skipped (77) where the lab or the desktop tools are missing.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)

if [ "${1:-}" != --inside ]; then
    skip() {
        echo "desktop walk skipped: $*"
        exit 77
    }
    [ $# -eq 3 ] || { sed -n 's/^#   //p' "${BASH_SOURCE[0]}" >&2; exit 2; }
    for tool in Xvfb xauth mcookie openbox xdotool xprop dbus-run-session; do
        command -v "$tool" >/dev/null || skip "$tool is missing"
    done
    /usr/bin/python3 -c 'import dbus' 2>/dev/null || skip "Debian's python3 has no dbus module"
    [ -x /usr/libexec/at-spi-bus-launcher ] || skip "the accessibility bus is missing (at-spi2-core)"
    why=$("$root/scripts/lab" check 2>&1) || skip "the lab cannot run here (${why#lab: })"
    exec "$root/scripts/lab" run --switches 3 --switch-binary "$2" -- \
        bash "${BASH_SOURCE[0]}" --inside "$(realpath "$1")" "$(realpath "$3")"
fi

fenwick=$2
define=$3
# shellcheck source=scripts/lib/private_display.sh
. "$root/scripts/lib/private_display.sh"
work=$(mktemp -d /tmp/fenwick-desktop.XXXXXX)
xvfb_pid=
wm_pid=
cleanup() {
    set +e
    [ -z "$wm_pid" ] || kill "$wm_pid"
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid"
    wait
    rm -rf "$work"
}
trap cleanup EXIT

cookie=$(mcookie)
start_private_display "$work" "$cookie"
xauth -q -f "$work/server-auth" add "$display" . "$cookie"
export DISPLAY=$display XAUTHORITY=$work/server-auth
openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || {
    echo "openbox did not start: $(cat "$work/openbox.log")" >&2
    exit 1
}

mkdir -p "$work/cfg" "$work/home"
"$define" --force "$FENWICK_LAB_AGENT_KEY" "$FENWICK_LAB_BASE_PORT" "$work/cfg/define.ecf" >/dev/null
# A home of its own: the file dialogs remember folders there.
status=0
HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work \
    dbus-run-session -- /usr/bin/python3 "$here/desktop_walk.py" "$fenwick" "$work/cfg" "$work" || status=$?
if [ "$status" -ne 0 ]; then
    echo "the program said:" >&2
    sed 's/^/  /' "$work/fenwick.log" >&2 || true
fi
exit "$status"
