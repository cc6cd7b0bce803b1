#!/usr/bin/env bash
# Builds everything, then starts the calculator (morvint.exe) under Wine. With no DISPLAY
# set, it runs on a private Xvfb display (useful only for automated checks).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/build.sh"
cd "$top/build"
exec "$top/scripts/wine-run.sh" "$top/build/morvint.exe" "$@"
