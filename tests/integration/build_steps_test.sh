#!/bin/sh
# The build-number step as projects use it, from a folder deeper than the
# tool's 259-character name limit: three programs in two folders share one
# counter and one of them has a second counter (tests/integration/steps).
#
# With Ninja, Unix Makefiles and Ninja Multi-Config building all of its
# configurations at once, built again and again at -j2, every build
# succeeds, each counter rises by exactly one, the programs print the
# counters' numbers, and a source that includes no generated header is
# compiled once. clean and --clean-first leave the counters in place, and
# the next build goes on from their numbers. The same project then takes
# revtick from its source, with FetchContent and with add_subdirectory, and
# gets the tool and nothing else of revtick's. Last, the calls that
# configure refuses, each with its message.
#   build_steps_test.sh BUILD_DIR SOURCE_DIR SCRATCH
set -eu
build=$1 source=$2 scratch=$3
cmake=${CMAKE:-cmake}
builds=${REVTICK_STEP_BUILDS:-8}
rm -rf "$scratch" && mkdir -p "$scratch"
"$cmake" --install "$build" --prefix "$scratch/prefix" >/dev/null

. "$(dirname "$0")/lib.sh"

# A folder whose path alone is longer than 259 characters.
deep=$scratch/$(printf '%0150d' 0 | tr 0 d)/$(printf '%0120d' 0 | tr 0 e)
[ "${#deep}" -gt 259 ] || fail "the deep folder is only ${#deep} characters"

number() {  # number FILE: the build number a counter holds
  sed -n 's/^#define [A-Z_]* \([0-9]*\)\r$/\1/p' "$1"
}

fresh() {  # fresh DIR: a copy of the project, its counters at 0 and 100
  rm -rf "$1" && mkdir -p "$(dirname "$1")"
  cp -R "$source/tests/integration/steps" "$1"
  printf '#define SHARED_BUILD 0\r\n' >"$1/shared_number.h"
  printf '#define OWN_BUILD 100\r\n' >"$1/two/own_number.h"
}

build() {  # build DIR WHAT [cmake --build options]: one build that must succeed
  dir=$1 what=$2
  shift 2
  "$cmake" --build "$dir/build" -j2 "$@" >"$dir/build.log" 2>&1 ||
    { cat "$dir/build.log"; fail "$what failed"; }
}

expect() {  # expect DIR SHARED OWN WHAT: the counters' numbers
  [ "$(number "$1/shared_number.h")" = "$2" ] && [ "$(number "$1/two/own_number.h")" = "$3" ] ||
    fail "$4: counters hold $(number "$1/shared_number.h") and $(number "$1/two/own_number.h"), not $2 and $3"
  # One report per counter: each was raised by exactly one step.
  [ "$(grep -c 'Macro "SHARED_BUILD" set to' "$1/build.log")" = 1 ] ||
    fail "$4: shared_number.h was not raised by exactly one step"
}

# check_programs DIR SHARED OWN WHAT CONFIGURATION...: the programs of each
# configuration's folder (. for a single-configuration build) print the
# counters' numbers.
check_programs() {
  dir=$1 shared=$2 own=$3 what=$4
  shift 4
  for configuration; do
    for program in ./zero one/one two/two; do
      path=$dir/build/${program%/*}/$configuration/${program#*/}
      expected=$shared
      [ "$program" != two/two ] || expected="$shared $own"
      [ "$("$path")" = "$expected" ] || fail "$what: $program ($configuration) prints $("$path"), not $expected"
    done
  done
}

for generator in Ninja "Unix Makefiles" "Ninja Multi-Config"; do
  name=$(echo "$generator" | tr ' ' '-')
  dir=$deep/$name
  fresh "$dir"
  # Ninja Multi-Config builds all three configurations with every build.
  configurations=. all=""
  if [ "$generator" = "Ninja Multi-Config" ]; then
    configurations="Debug Release RelWithDebInfo" all="-DCMAKE_CROSS_CONFIGS=all -DCMAKE_DEFAULT_CONFIGS=all"
  fi
  # shellcheck disable=SC2086 # $all is two options or none
  "$cmake" -S "$dir" -B "$dir/build" -G "$generator" -DCMAKE_PREFIX_PATH="$scratch/prefix" $all \
    >"$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; fail "$generator: configure"; }
  n=1
  while [ "$n" -le "$builds" ]; do
    build "$dir" "$generator build $n"
    expect "$dir" "$n" $((100 + n)) "$generator build $n"
    check_programs "$dir" "$n" $((100 + n)) "$generator build $n" $configurations
    # What includes no generated header is compiled once.
    quiet=$(find "$dir/build" -name 'quiet.cpp.o' -exec stat -c %y {} + | sort)
    [ "$n" = 1 ] || [ "$quiet" = "$quiet_first" ] || fail "$generator build $n: quiet.cpp compiled again"
    quiet_first=$quiet
    n=$((n + 1))
  done
  echo "ok: $generator: $builds builds at -j2, each counter up by exactly one per build, programs in step"

  "$cmake" --build "$dir/build" --target clean >"$dir/clean.log" 2>&1 || fail "$generator: clean"
  [ -f "$dir/shared_number.h" ] && [ -f "$dir/two/own_number.h" ] || fail "$generator: clean deleted a counter"
  build "$dir" "$generator build after clean"
  expect "$dir" "$n" $((100 + n)) "$generator build after clean"
  check_programs "$dir" "$n" $((100 + n)) "$generator build after clean" $configurations
  n=$((n + 1))
  build "$dir" "$generator --clean-first" --clean-first
  expect "$dir" "$n" $((100 + n)) "$generator --clean-first"
  check_programs "$dir" "$n" $((100 + n)) "$generator --clean-first" $configurations
  echo "ok: $generator: clean and --clean-first keep the counters; the builds go on from them"
done

# The same project with revtick's source in it: the tool is built before
# its first run, and nothing else of revtick's comes along.
for way in FETCH SUBDIRECTORY; do
  dir=$scratch/$way
  fresh "$dir"
  "$cmake" -S "$dir" -B "$dir/build" -G Ninja -DREVTICK_$way="$source" \
    >"$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; fail "$way: configure"; }
  build "$dir" "$way build"
  expect "$dir" 1 101 "$way build"
  check_programs "$dir" 1 101 "$way build" .
  targets=$(ninja -C "$dir/build" -t targets all)
  unwanted=$(printf '%s\n' "$targets" | grep -E '^(revtick_(unit|e2e)_tests|fuzz_[a-z_]*|revtick_windows[a-z0-9_]*|package|package_source):' || true)
  [ -z "$unwanted" ] || fail "$way: revtick's own targets came along: $unwanted"
  (cd "$dir/build" && ctest -N) | grep -q 'Total Tests: 0' || fail "$way: revtick's tests came along"
  [ ! -e "$dir/build/CPackConfig.cmake" ] && [ ! -e "$dir/build/_deps/revtick-build/CPackConfig.cmake" ] ||
    fail "$way: revtick's CPack configuration came along"
  "$cmake" --install "$dir/build" --prefix "$dir/installed" >/dev/null
  [ ! -e "$dir/installed/bin/revtick" ] || fail "$way: revtick's install rules came along"
  echo "ok: revtick from its source ($way): the step works, nothing else of revtick's is built"
done

# What configure refuses: what the test does to the project first | the
# STEPS_ option set | the message, as one line.
refused='true|STEPS_DISAGREE|every call must agree: '"'COUNTER HEADER shared.h VERBOSE' for zero, 'COUNTER HEADER shared.h NEXT' for zero"'
true|STEPS_IN_PLACE_TOO|'"'COUNTER HEADER shared.h VERBOSE' for zero, 'in place VERBOSE' for zero"'
true|STEPS_SOURCES|SOURCES is gone
true|STEPS_HEADER_OUTSIDE|HEADER '"'../shared.h'"' must be the one name the sources include
printf "#define OTHER 0\r\n" >two/other_number.h|STEPS_TWO_COUNTERS|two gets own.h from two counters
touch one/shared.h|STEPS_NONE|one/shared.h has the name of the header that the build writes from
touch one/include/shared.h|STEPS_NONE|one/include/shared.h has the name of the header
touch shared.h|STEPS_NONE|steps-refused/shared.h has the name of the header
rm shared_number.h|STEPS_NONE|shared_number.h does not exist. Create it with one line that ends in CR LF'
printf "%s\n" "$refused" | while IFS='|' read -r prepare option message; do
  dir=$scratch/steps-refused
  fresh "$dir"
  (cd "$dir" && eval "$prepare")
  if "$cmake" -S "$dir" -B "$dir/build" -G Ninja -DCMAKE_PREFIX_PATH="$scratch/prefix" \
    -D$option=ON >"$dir/configure.log" 2>&1; then
    fail "configure accepted: $prepare, $option"
  fi
  # CMake wraps its messages; read them as one line.
  tr -s ' \n' '  ' <"$dir/configure.log" | grep -qF "$message" ||
    { cat "$dir/configure.log"; fail "$prepare, $option: no message '$message'"; }
  printf 'ok: refused when configuring: %s, %s\n' "$prepare" "$option"
done
