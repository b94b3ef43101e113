#!/bin/sh
# Runs docs/headers.md's command that writes a first header at a Windows command
# prompt, under Wine's cmd, and the Windows program on the result: it must
# take the header and raise its number.
#   wine_first_header_test.sh WINE64 PREFIX EXE SOURCE_DIR SCRATCH
set -eu
. "$(dirname "$0")/lib.sh"
wine64=$1 exe=$3 source=$4 scratch=$5
export WINEPREFIX="$2" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$scratch" && mkdir -p "$scratch"
cp "$exe" "$scratch/"

line=$(readme_command "$source/docs/headers.md" "first header, cmd")
[ -n "$line" ] || fail "no cmd command for a first header in docs/headers.md"
(cd "$scratch" && "$wine64" cmd /c "$line" </dev/null) || fail "cmd failed: $line"
[ "$(od -An -c "$scratch/build_number" | tr -s ' \n' ' ')" = " # d e f i n e B U I L D _ N U M B E R 0 \r \n " ] ||
  fail "cmd wrote: $(od -An -c "$scratch/build_number")"
(cd "$scratch" && "$wine64" revtick.exe build_number </dev/null) || fail "the header is rejected"
[ "$(cat "$scratch/build_number")" = "$(printf '#define BUILD_NUMBER 1\r')" ] || fail "not raised"
printf 'ok: docs/headers.md'"'"'s cmd line (%s) writes a header the program takes\n' "$line"
