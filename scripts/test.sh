#!/usr/bin/env bash
# Builds everything and runs the whole test suite headless: the runtime's tests
# under Wine on a private Xvfb display, and the host tools' tests natively.
# Screenshots of the end-to-end tests are left in build/screenshots/.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/build.sh"
# The tests' Wine environments: the shared one, and the end-to-end tests' own.
cleanup() {
  for state in "$top/build/wine" "$top/build/wine-e2e"; do
    [ -d "$state/prefix" ] && WINEPREFIX=$state/prefix wineserver -k 2>/dev/null || true
    [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  done
}
trap cleanup EXIT
unset DISPLAY # tests get a display of their own
cd "$top/build"
ctest --output-on-failure -j"$(nproc)" "$@"
