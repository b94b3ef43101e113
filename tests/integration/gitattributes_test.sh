#!/bin/sh
# Holds docs/headers.md's advice on line ends in git to the program: a CR LF
# header committed under each setting is cloned afresh and given to the
# program, which must take it where the page says it survives and refuse
# it with "No EOL" where the page says git turns it into LF. Also checks
# that this repository keeps its own example headers so. Exits with 77 (a
# skipped test) when git is not installed.
#   gitattributes_test.sh PROGRAM SOURCE_DIR SCRATCH
set -eu
. "$(dirname "$0")/lib.sh"
program=$1 source=$2 scratch=$3
command -v git >/dev/null || { echo "skipped: git not found (apt-get install git)"; exit 77; }
rm -rf "$scratch" && mkdir -p "$scratch"

# The page's .gitattributes block.
advice=$(readme_block "$source/docs/headers.md" .gitattributes gitattributes)
[ -n "$advice" ] || fail "no .gitattributes block in docs/headers.md"

# Commits a CR LF counter, build_number, with the given .gitattributes (and autocrlf
# setting at the commit), clones the repository and runs the program on
# the clone's header: its exit code must be EXPECTED.
case_() {  # case_ NAME ATTRIBUTES AUTOCRLF EXPECTED
  repo=$scratch/$1
  git init -q "$repo"
  printf '%s\n' "$2" >"$repo/.gitattributes"
  printf '#define BUILD_NUMBER 0\r\n' >"$repo/build_number"
  git -C "$repo" -c core.autocrlf="$3" add -A 2>/dev/null
  git -C "$repo" -c core.autocrlf="$3" -c user.name=test -c user.email=test@example.invalid commit -qm header
  git -c core.autocrlf=false -c core.eol=lf clone -q "$repo" "$repo.clone"
  status=0
  "$program" "$repo.clone/build_number" 2>"$scratch/err" || status=$?
  [ "$status" = "$4" ] || fail "$1: exit code $status, not $4 ($(cat "$scratch/err"))"
  if [ "$4" = 4 ]; then
    [ "$(cat "$scratch/err")" = "$(printf 'No EOL\r')" ] || fail "$1: $(cat "$scratch/err")"
  fi
  echo "ok: $1: exit code $4"
}

case_ text-auto-breaks-it '* text=auto' false 4
case_ autocrlf-breaks-it '' true 4
case_ readme-line-with-text-auto "$(printf '* text=auto\n%s' "$advice")" false 0
case_ readme-line-with-autocrlf "$advice" true 0
case_ eol-crlf-with-text-auto "$(printf '* text=auto\nbuild_number eol=crlf')" false 0

# This repository's own CR LF headers are kept as they are.
if git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  headers=$(git -C "$source" ls-files 'examples/*.h')
  [ -n "$headers" ] || fail "no example headers tracked"
  for header in $headers; do
    git -C "$source" check-attr text -- "$header" | grep -q ': text: unset$' ||
      fail "$header is not marked -text in .gitattributes"
  done
  echo "ok: the repository keeps its example headers' bytes"
else
  echo "not a git checkout: the repository's own attributes not checked"
fi
