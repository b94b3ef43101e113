#!/bin/sh
# Holds docs/headers.md's and the man page's account of the header to the
# program: the command that writes a first header makes one the program
# takes; every row of the page's table of rejected headers gives exactly
# the message it shows, with exit code 4 and the header untouched; and every
# message the program gives for a header it cannot take is in that table
# and in the man page.
#   header_docs_test.sh PROGRAM SOURCE_DIR SCRATCH
set -eu
. "$(dirname "$0")/lib.sh"
program=$1 source=$2 scratch=$3
page=$source/docs/headers.md
rm -rf "$scratch" && mkdir -p "$scratch"

first=$(readme_command "$page" "first header")
[ -n "$first" ] || fail "no first-header command in $page"
(cd "$scratch" && sh -c "$first")
report=$(cd "$scratch" && "$program" -v build_number) || fail "the first header is rejected: $first"
[ "$report" = "$(printf 'Macro "BUILD_NUMBER" set to 1 in "build_number"\r')" ] || fail "report: $report"
printf 'ok: docs/headers.md'"'"'s first header (%s) is taken\n' "$first"

# The table: a message and a header in C escapes, in backquotes, per row.
awk '$0 == "<!-- header messages -->" { on = 1; next }
     on && /^\|/ { print; next }
     on { exit }' "$page" | tail -n +3 >"$scratch/rows"
[ -s "$scratch/rows" ] || fail "no table of rejected headers in $page"
# shellcheck disable=SC2016 # the backquotes are markdown's, for sed
cell() { printf '%s\n' "$1" | awk -F ' [|] ' -v n="$2" '{ c = $n; sub(/^\| /, "", c); print c }' | sed 's/^`//; s/`$//'; }
rows=0
while IFS= read -r row; do
  message=$(cell "$row" 1) header=$(cell "$row" 2)
  case $message$header in *%*) fail "a row holds a '%': $row" ;; esac
  # shellcheck disable=SC2059 # the cells are printf formats: C escapes, no %
  printf "$header" >"$scratch/ver.h"
  cp "$scratch/ver.h" "$scratch/before.h"
  # shellcheck disable=SC2059
  printf "$message\r\n" >"$scratch/expected"
  status=0
  (cd "$scratch" && "$program" ver.h 2>err >out) || status=$?
  [ "$status" = 4 ] || fail "$header: exit code $status, not 4"
  cmp -s "$scratch/err" "$scratch/expected" || fail "$header: the message is '$(cat "$scratch/err")', not '$message'"
  [ ! -s "$scratch/out" ] || fail "$header: output on stdout"
  cmp -s "$scratch/ver.h" "$scratch/before.h" || fail "$header: the header was changed"
  rows=$((rows + 1))
done <"$scratch/rows"
echo "ok: docs/headers.md's $rows rejected headers give the messages it shows"

# The messages the program gives (exit code 4) for every beginning of a
# definition line with something after its number, with and without a line
# end, cut before their quoted text: the same as the table's, and each in
# the man page (unescaped).
line='#define BUILD 41 x'
length=0
: >"$scratch/found"
while [ $length -le ${#line} ]; do
  start=$(printf '%s' "$line" | head -c $length)
  for end in '' '\r\n'; do
    # shellcheck disable=SC2059 # the line end is a printf escape
    printf "%s$end" "$start" >"$scratch/ver.h"
    status=0
    (cd "$scratch" && "$program" ver.h 2>err >/dev/null) || status=$?
    [ "$status" != 4 ] || tr -d '\r' <"$scratch/err" | sed 's/: ".*"$//' >>"$scratch/found"
  done
  length=$((length + 1))
done
sort -u "$scratch/found" >"$scratch/stems"
# shellcheck disable=SC2016 # the backquotes are markdown's, for sed
cut -d '|' -f 2 "$scratch/rows" | sed 's/^ `//; s/` $//; s/: ".*"$//' | sort -u >"$scratch/shown"
cmp -s "$scratch/stems" "$scratch/shown" ||
  fail "the program gives '$(paste -sd '|' "$scratch/stems")', the page's table '$(paste -sd '|' "$scratch/shown")'"
sed 's/\\(dq/"/g; s/\\-/-/g; s/\\f[BIRP]//g; s/\\e/\\/g; s/\\~/ /g; s/\\%//g' "$source/docs/revtick.1" >"$scratch/page"
while IFS= read -r stem; do
  grep -qF "$stem" "$scratch/page" || fail "'$stem' is not in the man page"
done <"$scratch/stems"
echo "ok: docs/headers.md and the man page explain all $(wc -l <"$scratch/stems") messages for a header the program cannot take"
