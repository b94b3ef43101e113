#!/bin/sh
# Starts and stops the Wine that runs the Windows build's tests:
#   wine_session.sh WINE64 WINESERVER PREFIX start|stop
# start makes the prefix on first use (some seconds) and leaves one server
# running for all the tests; stop ends that server and every Wine process of
# the prefix, so that nothing outlives the test run.
set -eu
wine64=$1 wineserver=$2 action=$4
export WINEPREFIX="$3" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case $action in
  start)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$wine64" wineboot --init </dev/null >/dev/null 2>&1
      "$wineserver" -k 2>/dev/null || true
      "$wineserver" -w
    fi
    "$wineserver" -p </dev/null >/dev/null 2>&1 || true  # already running is fine
    # The prefix answers: a Windows command runs and ends.
    "$wine64" cmd /c exit 7 </dev/null >/dev/null 2>&1 && status=0 || status=$?
    [ "$status" -eq 7 ] || { echo "Wine does not run programs in $WINEPREFIX" >&2; exit 1; }
    ;;
  stop)
    "$wineserver" -k 2>/dev/null || true  # none running is fine
    "$wineserver" -w
    ;;
  *)
    echo "usage: $0 WINE64 WINESERVER PREFIX start|stop" >&2
    exit 2
    ;;
esac
