#!/bin/sh
# Makes the Debian package from a build folder, unpacks it into a scratch
# root (as dpkg would install it), and runs the tool and its man page from
# there.
#   deb_test.sh BUILD_DIR SCRATCH
set -eu
build=$1 scratch=$2
rm -rf "$scratch" && mkdir -p "$scratch"
fail() { echo "FAIL: $*" >&2; exit 1; }

"${CPACK:-cpack}" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >/dev/null
set -- "$scratch"/revtick_*.deb
[ $# = 1 ] && [ -f "$1" ] || fail "no package made"
dpkg-deb -f "$1" Package Depends
dpkg -x "$1" "$scratch/root"

printf '#define BUILD 41\r\n' >"$scratch/ver.h"
report=$(cd "$scratch" && root/usr/bin/revtick -v ver.h)
[ "$report" = "$(printf 'Macro "BUILD" set to 42 in "ver.h"\r')" ] || fail "report: $report"
[ "$(cat "$scratch/ver.h")" = "$(printf '#define BUILD 42\r')" ] || fail "header not updated"
echo "ok: the packaged tool updates a header"

page=$scratch/root/usr/share/man/man1/revtick.1
[ -f "$page" ] || fail "no man page in the package"
[ -f "$scratch/root/usr/lib/cmake/revtick/revtickConfig.cmake" ] || fail "no CMake package"
if command -v man >/dev/null; then
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >"$scratch/page.txt")
  [ -z "$warnings" ] || fail "man page warnings: $warnings"
  grep -q '^EXIT STATUS' "$scratch/page.txt" || fail "the man page did not render"
  echo "ok: the packaged man page renders with man -l"
else
  echo "man page not rendered: man is not installed (apt-get install man-db)"
fi
