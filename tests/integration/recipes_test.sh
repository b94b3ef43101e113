#!/bin/sh
# One table of cases run over every recipe that calls revtick-step: the
# example consumer, built against the installed package, with the counter
# as the case sets it up. Each case measures what the build did (its exit,
# its message, the counter before and after, the number the generated
# header and the program carry, what it compiled) and prints a row; the
# test fails when a row missed.
#   recipes_test.sh BUILD_DIR SOURCE_DIR SCRATCH
set -eu
build=$1 source=$2 scratch=$3
. "$(dirname "$0")/lib.sh"
cmake=${CMAKE:-cmake}
rm -rf "$scratch" && mkdir -p "$scratch"
"$cmake" --install "$build" --prefix "$scratch/prefix" >/dev/null
command -v flock >/dev/null || fail "flock (util-linux) is needed to hold a counter"

# The compiler runs through a launcher that notes each source it compiles.
compile_note "$scratch"

# The recipes: name | how it is built.
recipes='CMake, Ninja|cmake Ninja
CMake, Unix Makefiles|cmake Unix Makefiles'

# The cases: name | counter | the call's extra words | environment and
# settings (hold=S: another process holds the counter for S seconds;
# again: a second build, which must compile nothing; raise=OFF) |
# expected: "ok N" (the header and the program carry N; "ok N next M" with
# NEXT), or "build refused: TEXT" or "configure refused: TEXT" (which fails,
# saying TEXT) | the counter's numbers after it (or "as it was").
cases='unset|41||-|ok 42|42
held for 2 s|41||hold=2|ok 42|42
held past the wait|41||hold=14|build refused: build_number: error: Cannot open file "build_number"|41
CI number|41||REVTICK_BUILD_NUMBER=4000000000|ok 4000000000|41
CI number, built again|41||REVTICK_BUILD_NUMBER=4000000000 again|ok 4000000000|41
CI number 12a|41||REVTICK_BUILD_NUMBER=12a|build refused: REVTICK_BUILD_NUMBER is "12a"|41
CI number -1|41||REVTICK_BUILD_NUMBER=-1|build refused: REVTICK_BUILD_NUMBER is "-1"|41
CI number 0x10|41||REVTICK_BUILD_NUMBER=0x10|build refused: REVTICK_BUILD_NUMBER is "0x10"|41
CI number 4294967296|41||REVTICK_BUILD_NUMBER=4294967296|build refused: REVTICK_BUILD_NUMBER is "4294967296"|41
CI number empty|41||REVTICK_BUILD_NUMBER=|ok 42|42
NUMBER_FROM and an offset|41|NUMBER_FROM CI_RUN NUMBER_OFFSET 1000|CI_RUN=5|ok 1005|41
NUMBER_FROM, past the top with the offset|41|NUMBER_FROM CI_RUN NUMBER_OFFSET 1000|CI_RUN=4294967000|build refused: CI_RUN is "4294967000" plus the offset 1000|41
NEXT at 4294967295|4294967295|NEXT|-|ok 0 next 1|0 1
LF counter|lf 41||-|configure refused: build_number: error: No EOL|as it was
a second line, LF|note 41||-|configure refused: build_number: error: No EOL|as it was
a second line, CR LF|crlf 41||-|configure refused: build_number: error: No EOF after the build number value|as it was
building without raising|41||raise=OFF|ok 41|41'

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

echo "| recipe | case | expected | got |"
echo "|---|---|---|---|"
: >"$scratch/missed"
printf '%s\n' "$recipes" | while IFS='|' read -r recipe how; do
  printf '%s\n' "$cases" | while IFS='|' read -r name start words settings expected after; do
    dir=$scratch/$(echo "$recipe $name" | tr -c 'A-Za-z0-9\n' '-')
    rm -rf "$dir" && cp -R "$source/examples/consumer" "$dir"
    [ -z "$words" ] || sed -i "s/ VERBOSE)/ VERBOSE $words)/" "$dir/CMakeLists.txt"
    counter_text "$start" >"$dir/build_number"
    cp "$dir/build_number" "$dir/build_number.start"
    raise=ON hold=0 again=0 environment=""
    for word in $settings; do
      case $word in
        -) ;;
        hold=*) hold=${word#hold=} ;;
        raise=*) raise=${word#raise=} ;;
        again) again=1 ;;
        *) environment="$environment $word" ;;
      esac
    done
    got=""
    if ! "$cmake" -S "$dir" -B "$dir/build" -G "${how#cmake }" -DCMAKE_PREFIX_PATH="$scratch/prefix" \
      -DCMAKE_CXX_COMPILER_LAUNCHER="$scratch/note" -DREVTICK_RAISE="$raise" >"$dir/configure.log" 2>&1; then
      got="configure refused: $(tr -s ' \n' '  ' <"$dir/configure.log")"
    else
      if [ "$hold" != 0 ]; then
        flock -x "$dir/build_number" sleep "$hold" &
        sleep 0.3
      fi
      # shellcheck disable=SC2086 # the case's variables, one word each
      if env $environment "$cmake" --build "$dir/build" >"$dir/build.log" 2>&1; then
        if [ "$again" = 1 ]; then
          : >"$COMPILE_LOG"
          env $environment "$cmake" --build "$dir/build" >"$dir/again.log" 2>&1 || got="failed again"
          [ ! -s "$COMPILE_LOG" ] || got="compiled again: $(tr '\n' ' ' <"$COMPILE_LOG")"
        fi
        carried=$(numbers "$(find "$dir/build/CMakeFiles/revtick" -name version.h)")
        printed=$("$dir/build/consumer")
        [ "$printed" = "${carried%% *}" ] || got="the program prints $printed, the header holds $carried"
        [ -n "$got" ] || got="ok $(echo "$carried" | sed 's/ / next /')"
      else
        got="build refused: $(tr -s ' \n' '  ' <"$dir/build.log")"
      fi
      wait
    fi
    ended=$(numbers "$dir/build_number")
    [ "$after" != "as it was" ] || { cmp -s "$dir/build_number" "$dir/build_number.start" && ended="as it was"; }
    case $expected in
      "ok "*) [ "$got" = "$expected" ] && result=ok || result=MISSED ;;
      *) case $got in "${expected%%: *}: "*"${expected#*refused: }"*) result=ok ;; *) result=MISSED ;; esac ;;
    esac
    [ "$ended" = "$after" ] || result=MISSED
    if [ "$result" != ok ]; then
      echo "$recipe, $name: got $got; the counter holds $ended" >&2
      echo "$recipe, $name" >>"$scratch/missed"
    fi
    printf '| %s | %s | %s | %s |\n' "$recipe" "$name" "$expected" "$result"
  done
done
[ ! -s "$scratch/missed" ] || fail "$(wc -l <"$scratch/missed") rows missed"
echo "ok: every case of every recipe"
