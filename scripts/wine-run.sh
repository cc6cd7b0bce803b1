#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's test environment: a prefix
# of its own under the build directory, the Japanese locale (ANSI code page 932;
# MORVINT_LANG=en_US.UTF-8 gives code page 1252 instead),
# no Wine debug output, and an Xvfb display of its own when none is given.
#
# Wine's background processes (wineserver, its services, the desktop) inherit
# the output of whoever starts them. Started inside a test runner they would
# keep its pipes open and it would wait for ever, so the server is started here
# detached, and the program's output goes through a file unless it is a terminal.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
state=${MORVINT_WINE_STATE:-$here/../build/wine}
mkdir -p "$state"
state=$(cd "$state" && pwd)

export WINEPREFIX=$state/prefix
export WINEDEBUG=-all
export WINEARCH=win32
export LANG=${MORVINT_LANG:-ja_JP.UTF-8}
export LC_ALL=$LANG
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

detached() { setsid "$@" </dev/null >/dev/null 2>&1; }

start_display() {
  local pidfile=$state/xvfb.pid displayfile=$state/xvfb.display
  if [ -f "$pidfile" ] && kill -0 "$(cat "$pidfile")" 2>/dev/null; then
    export DISPLAY=$(cat "$displayfile")
    return
  fi
  rm -f "$displayfile"
  exec 8>"$displayfile.fd"
  setsid Xvfb -displayfd 8 -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  echo $! >"$pidfile"
  exec 8>&-
  for _ in $(seq 100); do
    [ -s "$displayfile.fd" ] && break
    sleep 0.05
  done
  echo ":$(head -n1 "$displayfile.fd")" >"$displayfile"
  export DISPLAY=$(cat "$displayfile")
}

exec 9>"$state/lock"
flock 9
[ -n "${DISPLAY:-}" ] || start_display
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  detached wineboot --init
fi
# The server lingers between programs: 30 s by default, for ever when
# MORVINT_WINESERVER_LINGER=forever (whoever sets it stops the server).
linger=${MORVINT_WINESERVER_LINGER:-30}
[ "$linger" = forever ] && linger=
detached wineserver -p $linger || true
# A crashing program must fail its test at once, not wait behind Wine's crash
# dialog (which other tests' drivers could also take for their message box).
if [ ! -f "$state/no-crash-dialog" ]; then
  detached wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
    touch "$state/no-crash-dialog"
fi
# Windows unmanaged by a window manager: Xvfb runs none, and Wine would wait
# a second for one to answer each time a window is hidden or destroyed.
if [ ! -f "$state/unmanaged-windows" ]; then
  detached wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f &&
    touch "$state/unmanaged-windows"
fi
flock -u 9
exec 9>&-

if [ -t 1 ]; then
  exec wine "$@"
fi
out=$(mktemp "$state/out.XXXXXX")
wine "$@" >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit $rc
