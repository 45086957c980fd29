#!/usr/bin/env bash
# Runs an end-to-end test program inside the lab, or reports it skipped (77) where the lab
# cannot run (no root, no network namespaces).
#   run_in_lab.sh SWITCH_BINARY TEST_BINARY [LAB OPTIONS...]
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
lab="$here/../../scripts/lab"
switch=$1
test=$2
shift 2
if ! "$lab" check >/dev/null 2>&1; then
    echo "lab not available here: skipped"
    exit 77
fi
exec "$lab" run --switch-binary "$switch" "$@" -- env QT_QPA_PLATFORM=offscreen "$test"
