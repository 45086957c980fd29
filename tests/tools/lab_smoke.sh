#!/usr/bin/env bash
# Lab smoke test: simulated switches in one network namespace, lab_probe in another, real
# sockets between them. Usage: lab_smoke.sh FENWICK_SWITCH LAB_PROBE
# Exits 77, which ctest reports as skipped, when the lab cannot run here (not root, or no
# network namespaces).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
if ! "$root/scripts/lab" check; then
    echo "lab smoke test skipped: the lab cannot run here"
    exit 77
fi
# One switch in loader mode and one speaking version 3 among ordinary ones.
exec "$root/scripts/lab" run --switch-binary "$1" --switches 8 --loader 8 --foreign 7 -- "$2"
