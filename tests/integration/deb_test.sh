#!/bin/sh
# Makes the Debian package from a build folder, unpacks it into a scratch
# root (as dpkg would install it), and runs the tool and its man page from
# there. Checks the package's documents and its Depends on the C library,
# and runs lintian over it when lintian is installed.
#   deb_test.sh BUILD_DIR SCRATCH SOURCE_DIR
set -eu
build=$1 scratch=$2 source=$3
rm -rf "$scratch" && mkdir -p "$scratch"
. "$(dirname "$0")/lib.sh"

deb=$(make_deb "$build" "$scratch")
dpkg-deb -f "$deb" Package Version Depends Maintainer
dpkg -x "$deb" "$scratch/root"
program=$scratch/root/usr/bin/revtick

printf '#define BUILD 41\r\n' >"$scratch/ver.h"
report=$(cd "$scratch" && root/usr/bin/revtick -v ver.h)
[ "$report" = "$(printf 'Macro "BUILD" set to 42 in "ver.h"\r')" ] || fail "report: $report"
[ "$(cat "$scratch/ver.h")" = "$(printf '#define BUILD 42\r')" ] || fail "header not updated"
(cd "$scratch" && root/usr/bin/revtick-step ver.h generated.h) &&
  [ "$(cat "$scratch/generated.h")" = "$(printf '#define BUILD 43\r')" ] || fail "the packaged step"
echo "ok: the packaged tool updates a header, and the packaged step writes one from it"

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

# Depends: libc6 no older than the newest GLIBC symbol version the program
# refers to; the dynamic loader refuses to start it on an older libc.
depends=$(dpkg-deb -f "$deb" Depends)
if "${OBJDUMP:-objdump}" -p "$program" | grep -q 'NEEDED.*libc\.so'; then
  newest=$("${OBJDUMP:-objdump}" -T "$program" | sed -n 's/.*(GLIBC_\([0-9.]*\)).*/\1/p' | sort -uV | tail -n 1)
  [ -n "$newest" ] || fail "the program names no GLIBC symbol version"
  [ "$depends" = "libc6 (>= $newest)" ] ||
    fail "Depends is '$depends', but the program needs symbols of GLIBC_$newest"
  echo "ok: Depends: $depends, the newest GLIBC symbol version the program uses"
  # Debian's own tool, where it is installed, must come to the same floor.
  if command -v dpkg-shlibdeps >/dev/null; then
    mkdir -p "$scratch/shlibs/debian"
    printf 'Source: revtick\n\nPackage: revtick\nArchitecture: any\n' >"$scratch/shlibs/debian/control"
    theirs=$(cd "$scratch/shlibs" && dpkg-shlibdeps -O "$program" 2>&1 | sed -n 's/^shlibs:Depends=//p')
    [ "$theirs" = "$depends" ] || fail "dpkg-shlibdeps computes '$theirs', the package says '$depends'"
    echo "ok: dpkg-shlibdeps agrees"
  else
    echo "dpkg-shlibdeps not run: it is not installed (apt-get install dpkg-dev)"
  fi
else
  [ -z "$depends" ] || fail "a static program needs nothing, but the package depends on '$depends'"
  echo "ok: static program, no Depends"
fi

# lintian: no error and no warning, except the ones explained here (none
# now; add "tag: reason" lines). Info and pedantic tags are shown, not
# failed on: binary-has-unneeded-section (.comment, the compiler's name
# from the C start files) and hardening-no-fortify-functions (lintian
# counts only __*_chk calls; the tool's fortified call is __open_2).
explained=""
if command -v lintian >/dev/null; then
  status=0
  lintian --pedantic -I -E "$deb" >"$scratch/lintian.txt" 2>"$scratch/lintian.err" || status=$?
  # lintian exits 2 both when it finds errors and when it cannot work; it
  # says why on standard error only in the second case (beside a note on
  # running as root).
  if grep -qv 'running with root privileges' "$scratch/lintian.err"; then
    cat "$scratch/lintian.err" >&2
    fail "lintian did not run (exit $status)"
  fi
  cat "$scratch/lintian.txt"
  bad=$(grep -E '^[EW]: ' "$scratch/lintian.txt" | while read -r level package tag rest; do
    printf '%s\n' "$explained" | grep -q "^$tag:" || echo "$level $tag $rest"
  done)
  [ -z "$bad" ] || fail "lintian: $bad"
  [ "$status" = 0 ] || grep -qE '^[EW]: ' "$scratch/lintian.txt" ||
    fail "lintian exited $status without naming a fault"
  echo "ok: lintian finds no error and no unexplained warning"
else
  echo "lintian not run: it is not installed (apt-get install lintian)"
fi
