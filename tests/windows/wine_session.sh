#!/bin/sh
# Starts and stops the Wine that runs the Windows build's tests:
#   wine_session.sh WINE64 WINESERVER PREFIX start|stop [QEMU_I386 WINE32]
# start makes the prefix on first use (some seconds) and leaves one server
# running for all the tests; stop ends that server and every Wine process of
# the prefix, so that nothing outlives the test run.
# With QEMU_I386 and WINE32 (the 32-bit loader), start also prepares the
# prefix's 32-bit half and checks that 32-bit programs run in it, with the
# loader under qemu-i386: a kernel without 32-bit support cannot start the
# 32-bit programs that wineboot would run itself, so its setup is done here.
set -eu
wine64=$1 wineserver=$2 action=$4
qemu=${5:-} wine32=${6:-}
export WINEPREFIX="$3" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# answers LAUNCHER...: a Windows command runs in the prefix and ends.
answers() {
  status=0
  "$@" cmd /c exit 7 </dev/null >/dev/null 2>&1 || status=$?
  [ "$status" -eq 7 ]
}

case $action in
  start)
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      "$wine64" wineboot --init </dev/null >/dev/null 2>&1
      "$wineserver" -k 2>/dev/null || true
      "$wineserver" -w
    fi
    "$wineserver" -p </dev/null >/dev/null 2>&1 || true  # already running is fine
    answers "$wine64" || { echo "Wine does not run programs in $WINEPREFIX" >&2; exit 1; }
    if [ -n "$wine32" ]; then
      # The loader must not start itself again: that needs the kernel to run it.
      export WINELOADERNOEXEC=1
      half=$WINEPREFIX/.revtick-32-bit-half
      if [ ! -f "$half" ]; then
        WINEBOOTSTRAPMODE=1 "$qemu" "$wine32" rundll32.exe setupapi,InstallHinfSection \
          Wow64Install 128 '\\?\unix/usr/share/wine/wine.inf' </dev/null >/dev/null 2>&1 ||
          { echo "The 32-bit half of $WINEPREFIX could not be set up" >&2; exit 1; }
        : >"$half"
      fi
      answers "$qemu" "$wine32" ||
        { echo "32-bit programs do not run in $WINEPREFIX under $qemu" >&2; exit 1; }
    fi
    ;;
  stop)
    "$wineserver" -k 2>/dev/null || true  # none running is fine
    "$wineserver" -w
    ;;
  *)
    echo "usage: $0 WINE64 WINESERVER PREFIX start|stop [QEMU_I386 WINE32]" >&2
    exit 2
    ;;
esac
