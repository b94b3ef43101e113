#!/bin/sh
# Makes the Debian package from a build folder, unpacks it into a scratch
# root (as dpkg would install it), and runs the tool and its man page from
# there. Checks the package's documents.
#   deb_test.sh BUILD_DIR SCRATCH SOURCE_DIR
set -eu
build=$1 scratch=$2 source=$3
rm -rf "$scratch" && mkdir -p "$scratch"
fail() { echo "FAIL: $*" >&2; exit 1; }

"${CPACK:-cpack}" -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >/dev/null
set -- "$scratch"/revtick_*.deb
[ $# = 1 ] && [ -f "$1" ] || fail "no package made"
deb=$1
dpkg-deb -f "$deb" Package Version Depends Maintainer
dpkg -x "$deb" "$scratch/root"

printf '#define BUILD 41\r\n' >"$scratch/ver.h"
report=$(cd "$scratch" && root/usr/bin/revtick -v ver.h)
[ "$report" = "$(printf 'Macro "BUILD" set to 42 in "ver.h"\r')" ] || fail "report: $report"
[ "$(cat "$scratch/ver.h")" = "$(printf '#define BUILD 42\r')" ] || fail "header not updated"
echo "ok: the packaged tool updates a header"

page=$scratch/root/usr/share/man/man1/revtick.1.gz
[ -f "$page" ] || fail "no compressed man page in the package"
[ -f "$scratch/root/usr/lib/cmake/revtick/revtickConfig.cmake" ] || fail "no CMake package"
if command -v man >/dev/null; then
  warnings=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >"$scratch/page.txt")
  [ -z "$warnings" ] || fail "man page warnings: $warnings"
  grep -q '^EXIT STATUS' "$scratch/page.txt" || fail "the man page did not render"
  echo "ok: the packaged man page renders with man -l"
else
  echo "man page not rendered: man is not installed (apt-get install man-db)"
fi

# The licence, in the copyright file, word for word; the changelog's latest
# entry is this version.
docs=$scratch/root/usr/share/doc/revtick
[ -f "$docs/copyright" ] || fail "no copyright file"
sed -n '/^Permission/,$p' "$source/LICENSE" >"$scratch/licence.want"
# The licence paragraph is the last one that starts "License: Expat".
awk '/^License: Expat$/ { text = ""; next } { text = text $0 "\n" } END { printf "%s", text }' \
  "$docs/copyright" | sed 's/^ //; s/^\.$//' >"$scratch/licence.got"
cmp -s "$scratch/licence.want" "$scratch/licence.got" ||
  fail "the copyright file does not hold the text of LICENSE: $(diff "$scratch/licence.want" "$scratch/licence.got")"
grep -q "^Copyright: $(sed -n 's/^Copyright (c) //p' "$source/LICENSE")\$" "$docs/copyright" ||
  fail "the copyright file does not name LICENSE's holder"
version=$(dpkg-deb -f "$deb" Version)
latest=$(gzip -dc "$docs/changelog.gz" | sed -n '1s/^revtick (\([^)]*\)).*/\1/p')
[ "$latest" = "$version" ] || fail "the changelog's latest entry is '$latest', the package is $version"
echo "ok: copyright file with the licence, changelog at $version"
