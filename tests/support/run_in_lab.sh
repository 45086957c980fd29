#!/usr/bin/env bash
# Runs a test program in a lab of simulated switches (scripts/lab), offscreen, or reports it
# skipped (77, as ctest reads it) where the lab cannot run (no root, no network namespaces).
#   run_in_lab.sh SWITCH_BINARY TEST_BINARY [LAB OPTIONS...]
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
lab="$here/../../scripts/lab"
switch=$1
test=$2
shift 2
if ! why=$("$lab" check 2>&1); then
    echo "lab not available here: skipped (${why#lab: })"
    exit 77
fi
exec "$lab" run --switch-binary "$switch" "$@" -- env QT_QPA_PLATFORM=offscreen "$test"
