#!/bin/sh
# One table of cases run over a recipe that calls revtick-step: the
# recipe's example project with the counter as the case sets it up. Each
# case measures what the build did (its exit, its message, the counter
# before and after, the number the generated header and the program carry,
# what a second build compiled) and prints a row; the test fails when a row
# missed. A recipe is a driver in recipes/, which knows how its build
# system configures, builds, holds a counter and finds the header; the
# cases are the same for all of them.
#   recipes_test.sh BUILD_DIR SOURCE_DIR SCRATCH RECIPE [RECIPE_ARGUMENTS...]
# Exits with 77 (skipped), saying why, when the recipe's build system is
# not here.
set -eu
build=$1 source=$2 scratch=$3 recipe=$4
shift 4
. "$(dirname "$0")/lib.sh"
cmake=${CMAKE:-cmake}
rm -rf "$scratch" && mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)
prefix=$scratch/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null
# The compiler runs through a launcher that notes each source it compiles.
compile_note "$scratch"
note=$scratch/note

# hold DIR SECONDS: another build holds DIR/build_number for SECONDS; returns
# once it is held. A driver whose step runs elsewhere (Wine) has its own.
recipe_hold() {
  command -v flock >/dev/null || fail "flock (util-linux) is needed to hold a counter"
  rm -f "$1/held"
  flock -x "$1/build_number" sh -c ': >"$1/held"; sleep "$2"' sh "$1" "$2" >/dev/null 2>&1 &
  while [ ! -e "$1/held" ]; do sleep 0.05; done
}
# The number the program prints; empty where the recipe builds none.
recipe_program() { :; }
label=$recipe
. "$(dirname "$0")/recipes/$recipe.sh"
recipe_init "$@"

# The cases: name | counter | the call's options (next; from=VARIABLE;
# offset=N) | environment and settings (hold=S: another build holds the
# counter for S seconds; again: a second build, which must compile nothing;
# raise=OFF: building without raising) | expected: "ok N" (the header and
# the program carry N; "ok N next M" with next), or "refused: TEXT" (the
# configure or the build fails, saying TEXT) | the counter's numbers after
# it (or "as it was").
cases='unset|41|-|-|ok 42|42
held for 2 s|41|-|hold=2|ok 42|42
held past the wait|41|-|hold=14|refused: build_number: error: Cannot open file|41
CI number|41|-|REVTICK_BUILD_NUMBER=4000000000|ok 4000000000|41
CI number, built again|41|-|REVTICK_BUILD_NUMBER=4000000000 again|ok 4000000000|41
CI number 12a|41|-|REVTICK_BUILD_NUMBER=12a|refused: REVTICK_BUILD_NUMBER is "12a"|41
CI number -1|41|-|REVTICK_BUILD_NUMBER=-1|refused: REVTICK_BUILD_NUMBER is "-1"|41
CI number 0x10|41|-|REVTICK_BUILD_NUMBER=0x10|refused: REVTICK_BUILD_NUMBER is "0x10"|41
CI number 4294967296|41|-|REVTICK_BUILD_NUMBER=4294967296|refused: REVTICK_BUILD_NUMBER is "4294967296"|41
CI number empty|41|-|REVTICK_BUILD_NUMBER=|ok 42|42
another variable and an offset|41|from=CI_RUN offset=1000|CI_RUN=5|ok 1005|41
another variable, past the top with the offset|41|from=CI_RUN offset=1000|CI_RUN=4294967000|refused: CI_RUN is "4294967000" plus the offset 1000|41
next at 4294967295|4294967295|next|-|ok 0 next 1|0 1
LF counter|lf 41|-|-|refused: build_number: error: No EOL|as it was
a second line, LF|note 41|-|-|refused: build_number: error: No EOL|as it was
a second line, CR LF|crlf 41|-|-|refused: build_number: error: No EOF after the build number value|as it was
building without raising|41|-|raise=OFF|ok 41|41'

counter_text() { # START: the counter a case starts from
  case $1 in
    "lf "*) printf '#define BUILD_NUMBER %s\n' "${1#lf }" ;;
    "note "*) printf '#define BUILD_NUMBER %s\r\n// note\n' "${1#note }" ;;
    "crlf "*) printf '#define BUILD_NUMBER %s\r\n// note\r\n' "${1#crlf }" ;;
    *) printf '#define BUILD_NUMBER %s\r\n' "$1" ;;
  esac
}
# The numbers a counter or header holds, "N" or "N M" with its Next line.
numbers() { sed -n 's/^#define BUILD_NUMBER\(Next\)\{0,1\} \([0-9]*\)\r$/\2/p' "$1" | tr '\n' ' ' | sed 's/ $//'; }
one_line() { tr -s ' \n' '  ' <"$1"; }

# run_case DIR SETTINGS: configures and builds DIR with the case's
# settings; prints what it got.
run_case() {
  raise=ON hold=0 again=0
  for word in $2; do
    case $word in
      -) ;;
      hold=*) hold=${word#hold=} ;;
      raise=*) raise=${word#raise=} ;;
      again) again=1 ;;
      *) export "${word?}" ;;
    esac
  done
  recipe_configure "$1" "$raise" >"$1/configure.log" 2>&1 || { echo "refused: $(one_line "$1/configure.log")"; return; }
  [ "$hold" = 0 ] || recipe_hold "$1" "$hold"
  if ! recipe_build "$1" >"$1/build.log" 2>&1; then
    wait
    echo "refused: $(one_line "$1/configure.log") $(one_line "$1/build.log")"
    return
  fi
  wait
  if [ "$again" = 1 ]; then
    : >"$COMPILE_LOG"
    written=$(stat -c '%i %Y' "$(recipe_header "$1")")
    sleep 1  # a header written again would show a newer time
    recipe_build "$1" >"$1/again.log" 2>&1 || { echo "failed again: $(one_line "$1/again.log")"; return; }
    [ ! -s "$COMPILE_LOG" ] || { echo "compiled again: $(one_line "$COMPILE_LOG")"; return; }
    [ "$(stat -c '%i %Y' "$(recipe_header "$1")")" = "$written" ] || { echo "the header was written again"; return; }
  fi
  carried=$(numbers "$(recipe_header "$1")")
  printed=$(recipe_program "$1")
  if [ -n "$printed" ] && [ "$printed" != "${carried%% *}" ]; then
    echo "the program prints $printed, the header holds $carried"
  else
    echo "ok $(echo "$carried" | sed 's/ / next /')"
  fi
}

echo "| recipe | case | expected | got |"
echo "|---|---|---|---|"
: >"$scratch/missed"
printf '%s\n' "$cases" | while IFS='|' read -r name start call settings expected after; do
  dir=$scratch/$(echo "$name" | tr -c 'A-Za-z0-9\n' '-')
  next=0 from="" offset=""
  for word in $call; do
    case $word in
      next) next=1 ;;
      from=*) from=${word#from=} ;;
      offset=*) offset=${word#offset=} ;;
    esac
  done
  rm -rf "$dir"
  recipe_prepare "$dir" "$next" "$from" "$offset"
  counter_text "$start" >"$dir/build_number"
  cp "$dir/build_number" "$scratch/counter.start"
  # Each case in a shell of its own: its variables go with it.
  got=$(run_case "$dir" "$settings")
  ended=$(numbers "$dir/build_number")
  [ "$after" != "as it was" ] || { cmp -s "$dir/build_number" "$scratch/counter.start" && ended="as it was"; }
  case $expected in
    "ok "*) [ "$got" = "$expected" ] && result=ok || result=MISSED ;;
    *) case $got in "refused: "*"${expected#refused: }"*) result=ok ;; *) result=MISSED ;; esac ;;
  esac
  [ "$ended" = "$after" ] || result=MISSED
  if [ "$result" != ok ]; then
    echo "$label, $name: got $got; the counter holds $ended" >&2
    echo "$name" >>"$scratch/missed"
  fi
  printf '| %s | %s | %s | %s |\n' "$label" "$name" "$expected" "$result"
done
[ ! -s "$scratch/missed" ] || fail "$label: $(wc -l <"$scratch/missed") rows missed"
echo "ok: every case of $label"
