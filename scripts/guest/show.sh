#!/usr/bin/env bash
# Runs a Windows program inside the guest on a display the host can reach: a
# VNC X server on the guest's port 5900 (forwarded by scripts/guest/run.sh),
# and, for a host with no VNC viewer, a screenshot in build/screenshots/ made
# anew every half minute while the program runs. Returns when it ends.
set -uo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
shot=$top/build/screenshots/guest-run.png

Xvnc :1 -rfbport 5900 -SecurityTypes None -geometry 1280x1024 -depth 24 >/tmp/xvnc.log 2>&1 &
export DISPLAY=:1
for _ in $(seq 100); do
  [ -S /tmp/.X11-unix/X1 ] && break
  sleep 0.1
done
"$top/scripts/wine-run.sh" "$@" &
program=$!
mkdir -p "$(dirname "$shot")"
(
  while sleep "${MORVINT_SHOT_PERIOD:-30}"; do
    import -display :1 -window root "$shot.tmp.png" && mv "$shot.tmp.png" "$shot" &&
      [ -z "${said:-}" ] && said=1 && echo "screenshot (made anew every half minute): $shot"
  done
) &
shooter=$!
wait $program
kill $shooter 2>/dev/null
