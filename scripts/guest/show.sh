#!/usr/bin/env bash
# Runs a Windows program inside the guest on a display the host can reach: a
# VNC X server on the guest's port 5900 (forwarded by scripts/guest/run.sh),
# and a screenshot in build/screenshots/ once the program has had time to
# draw, for a host with no VNC viewer. Returns when the program ends.
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
( sleep "${MORVINT_SHOT_DELAY:-40}" && mkdir -p "$(dirname "$shot")" &&
  import -display :1 -window root "$shot" && echo "screenshot: $shot" ) &
wait $program
