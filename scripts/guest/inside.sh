#!/usr/bin/env bash
# Runs a command inside the guest with the tests' Wine environments
# (build/wine, build/wine-e2e) on the guest's own disk rather than on the
# shared folder, where Wine's many small files would be slow. The guest's disk
# carries both environments ready made, prefixes included (the guest build
# prepares them with --prepare), and each run starts from them afresh. One
# wineserver per environment stays up for the whole run.
set -uo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
states=(wine wine-e2e)
own=/var/lib/morvint-wine

# Preparing starts from nothing: prefixes made by other settings go.
[ "${1:-}" = --prepare ] && rm -rf "${own:?}"/*
for name in "${states[@]}"; do
  mkdir -p "$own/$name" "$top/build/$name"
  mount --bind "$own/$name" "$top/build/$name" || exit 125
done
export MORVINT_WINESERVER_LINGER=forever
# Programs start in seconds here, not in fractions of one: the driver's waits
# for windows and texts get a minute.
export MORVINT_DRIVER_TIMEOUT=${MORVINT_DRIVER_TIMEOUT:-60}

stop_wine() {
  for name in "${states[@]}"; do
    local state=$top/build/$name
    [ -d "$state/prefix" ] && WINEPREFIX=$state/prefix wineserver -k 2>/dev/null
    [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    rm -f "$state/xvfb.pid" "$state/xvfb.display" "$state/xvfb.display.fd"
  done
  sleep 1
}

if [ "${1:-}" = --prepare ]; then
  # Creates both prefixes once, with the settings the wrapper gives them.
  rc=0
  for name in "${states[@]}"; do
    MORVINT_WINE_STATE=$top/build/$name "$top/scripts/wine-run.sh" cmd /c exit 0 || rc=$?
  done
  stop_wine
  exit $rc
fi

"$@"
rc=$?
stop_wine
exit $rc
