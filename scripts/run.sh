#!/usr/bin/env bash
# Builds everything, then starts the calculator (morvint.exe) under Wine. With no DISPLAY
# set, it runs on a private Xvfb display (useful only for automated checks).
#
# Where this kernel refuses 32-bit programs (or with MORVINT_GUEST=1), Wine
# cannot run here: the calculator runs in the full-system guest instead, on a
# display reached with a VNC viewer at 127.0.0.1:5901 (MORVINT_VNC_PORT), and a
# screenshot of it is left in build/screenshots/guest-run.png.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$top/scripts/lib.sh"
say_test_bed
"$top/scripts/build.sh"
cd "$top/build"
if guest_needed; then
  as_root "$top/scripts/guest/build.sh"
  port=${MORVINT_VNC_PORT:-5901}
  echo "The calculator starts in the guest (about a minute under emulation)."
  echo "See it with a VNC viewer at 127.0.0.1:$port (for example: vncviewer 127.0.0.1::$port)."
  exec "$top/scripts/guest/run.sh" --vnc "$port" "$top/scripts/guest/inside.sh" \
    "$top/scripts/guest/show.sh" "$top/build/morvint.exe" "$@"
fi
exec "$top/scripts/wine-run.sh" "$top/build/morvint.exe" "$@"
