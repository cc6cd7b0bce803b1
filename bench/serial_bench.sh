#!/usr/bin/env bash
# Runs the serial benchmark with the serial test bed (a socat pseudo-terminal
# pair on COM2 of a prefix of its own), then stops the bed.
#   bench/serial_bench.sh [BUILD_DIR] [SECONDS]
set -uo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
state=/tmp/morvint-serial-bench-$$
"$top/tests/fixtures/serial_peer.sh" start "$state" "$top/build/wine/prefix" || exit 1
MORVINT_WINE_STATE=$state MORVINT_SERIAL_STATE=$state \
  "$top/scripts/wine-run.sh" "$build/win32/bench/serial_bench.exe" ${2:-}
rc=$?
"$top/tests/fixtures/serial_peer.sh" stop "$state"
exit $rc
