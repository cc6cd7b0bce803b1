#!/usr/bin/env bash
# Builds everything and runs the whole test suite headless: the runtime's tests
# under Wine on a private Xvfb display, and the host tools' tests natively.
# Screenshots of the end-to-end tests are left in build/screenshots/.
# Arguments go to ctest (for example -L guest-smoke, or -R Morvint).
#
# Where this kernel refuses 32-bit programs (or with MORVINT_GUEST=1), the
# tests that need Wine (label "wine") run inside a full-system guest
# (scripts/guest/), built once per machine; the others run here.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$top/scripts/lib.sh"
say_test_bed
"$top/scripts/build.sh"
unset DISPLAY # tests get a display of their own
cd "$top/build"

if guest_needed; then
  as_root "$top/scripts/guest/build.sh"
  host_rc=0 guest_rc=0
  echo "== tests that run on this machine"
  ctest --output-on-failure -j"$(nproc)" -LE wine "$@" || host_rc=$?
  echo "== tests that need Wine, in the guest"
  "$top/scripts/guest/run.sh" "$top/scripts/guest/inside.sh" \
    ctest --output-on-failure -j2 -L wine "$@" || guest_rc=$?
  [ $host_rc -eq 0 ] && [ $guest_rc -eq 0 ] && exit 0
  echo "failed: host tests (status $host_rc), guest tests (status $guest_rc)" >&2
  exit 1
fi

# The tests' Wine environments: the shared one, and the end-to-end tests' own.
cleanup() {
  for state in "$top/build/wine" "$top/build/wine-e2e"; do
    [ -d "$state/prefix" ] && WINEPREFIX=$state/prefix wineserver -k 2>/dev/null || true
    [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
    rm -f "$state/xvfb.pid"
  done
}
trap cleanup EXIT
ctest --output-on-failure -j"$(nproc)" "$@"
