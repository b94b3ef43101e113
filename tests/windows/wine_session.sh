#!/bin/sh
# Starts and stops the Wine that runs the Windows build's tests:
#   wine_session.sh WINE64 WINESERVER PREFIX start|stop [WINE32_ROOT]
# start makes the prefix on first use (some seconds) and leaves one server
# running for all the tests; stop ends that server and every Wine process of
# the prefix, so that nothing outlives the test run.
# With WINE32_ROOT, the folder scripts/fetch_wine32.sh fills with the i386
# Wine, start also prepares the prefix's 32-bit half and checks that 32-bit
# programs run in it.
#
# Nothing here leans on the kernel running 32-bit code, which some kernels
# refuse: the folder's launcher always runs the 32-bit loader under
# qemu-i386, and every program it starts is named by its full path, since a
# bare name makes it look the program up in the prefix or start itself
# again through the kernel.
# wineboot fills syswow64 only where the kernel runs the 32-bit loader for
# it, so the 32-bit half is always set up here, from an empty syswow64: every
# machine takes the same path.
set -eu
wine64=$1 wineserver=$2 action=$4
wine32_root=${5:-}
wine32=$wine32_root/wine32 programs32=$wine32_root/usr/lib/i386-linux-gnu/wine/i386-windows
export WINEPREFIX="$3" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# answers LAUNCHER... CMD: that cmd runs in the prefix and ends.
answers() {
  status=0
  "$@" /c exit 7 </dev/null >/dev/null 2>&1 || status=$?
  [ "$status" -eq 7 ]
}

# The Wine that made the prefix; a prefix from another Wine is made anew.
made_by=$("$wine64" --version 2>/dev/null || echo unknown)
stamp=$WINEPREFIX/.revtick-wine

case $action in
  start)
    if [ -n "$wine32_root" ]; then
      for needed in "$wine32" "$programs32/rundll32.exe"; do
        [ -f "$needed" ] || { echo "$needed is missing: bash scripts/fetch_wine32.sh $wine32_root" >&2; exit 1; }
      done
    fi
    if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$made_by" ]; then
      if [ -e "$WINEPREFIX" ] && [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "$WINEPREFIX is not a Wine prefix: remove it, or name another" >&2
        exit 1
      fi
      "$wineserver" -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
      "$wine64" wineboot --init </dev/null >/dev/null 2>&1
      "$wineserver" -k 2>/dev/null || true
      "$wineserver" -w
      printf '%s\n' "$made_by" >"$stamp"
    fi
    "$wineserver" -p </dev/null >/dev/null 2>&1 || true  # already running is fine
    answers "$wine64" 'C:\windows\system32\cmd.exe' ||
      { echo "Wine does not run programs in $WINEPREFIX" >&2; exit 1; }
    if [ -n "$wine32_root" ]; then
      half=$WINEPREFIX/.revtick-32-bit-half
      if [ ! -f "$half" ]; then
        syswow64=$WINEPREFIX/drive_c/windows/syswow64
        rm -rf "$syswow64"
        mkdir "$syswow64"
        WINEBOOTSTRAPMODE=1 "$wine32" "$programs32/rundll32.exe" \
          setupapi,InstallHinfSection Wow64Install 128 '\\?\unix/usr/share/wine/wine.inf' \
          </dev/null >/dev/null 2>&1 ||
          { echo "The 32-bit half of $WINEPREFIX could not be set up" >&2; exit 1; }
        : >"$half"
      fi
      answers "$wine32" 'C:\windows\syswow64\cmd.exe' ||
        { echo "32-bit programs do not run in $WINEPREFIX through $wine32" >&2; exit 1; }
    fi
    ;;
  stop)
    "$wineserver" -k 2>/dev/null || true  # none running is fine
    "$wineserver" -w
    ;;
  *)
    echo "usage: $0 WINE64 WINESERVER PREFIX start|stop [WINE32_ROOT]" >&2
    exit 2
    ;;
esac
