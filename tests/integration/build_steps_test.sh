#!/bin/sh
# The build-number step as projects use it, from a folder deeper than the
# tool's 259-character name limit: three programs in two folders share one
# counter and one of them has a second counter (tests/integration/steps).
#
# With Ninja, Unix Makefiles and Ninja Multi-Config building all of its
# configurations at once, built again and again at -j2, every build
# succeeds, each counter rises by exactly one for each configuration built,
# each configuration's programs print the numbers of its own raises, and a
# source that includes no generated header is
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

# expect DIR BUILDS WHAT CONFIGURATION...: after BUILDS builds of every
# configuration given (. for a single-configuration build), each build of a
# configuration raised each counter once (from 0 and 100): the counters
# hold the number of the last raise, and the programs of the configurations
# of the last build print the numbers of that build's raises, each its own,
# and within one configuration all the same.
expect() {
  dir=$1 raised=$2 what=$3
  shift 3
  per=$#
  shared=$((raised * per)) own=$((100 + raised * per))
  [ "$(number "$dir/shared_number.h")" = "$shared" ] && [ "$(number "$dir/two/own_number.h")" = "$own" ] ||
    fail "$what: counters hold $(number "$dir/shared_number.h") and $(number "$dir/two/own_number.h"), not $shared and $own"
  # One report per counter and configuration: one step raised each.
  [ "$(grep -c 'Macro "SHARED_BUILD" set to' "$dir/build.log")" = "$per" ] ||
    fail "$what: shared_number.h was not raised exactly once for each configuration"
  : >"$dir/numbers"
  for configuration; do
    at() { echo "$dir/build/${1%/*}/$configuration/${1#*/}"; }
    zero=$("$(at ./zero)") one=$("$(at one/one)") two=$("$(at two/two)") three=$("$(at two/three)")
    [ "$one" = "$zero" ] && [ "${two% *}" = "$zero" ] && [ "$three" = "$two" ] ||
      fail "$what ($configuration): the programs print $zero, $one, $two and $three: not one shared number"
    echo "$zero ${two#* }" >>"$dir/numbers"
  done
  [ "$(cut -d' ' -f1 "$dir/numbers" | sort -n | tr '\n' ' ')" = "$(seq $((shared - per + 1)) "$shared" | tr '\n' ' ')" ] &&
    [ "$(cut -d' ' -f2 "$dir/numbers" | sort -n | tr '\n' ' ')" = "$(seq $((own - per + 1)) "$own" | tr '\n' ' ')" ] ||
    fail "$what: the configurations' programs print $(tr '\n' ',' <"$dir/numbers"), not the last build's numbers"
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
    # shellcheck disable=SC2086 # $configurations is a list
    expect "$dir" "$n" "$generator build $n" $configurations
    # What includes no generated header is compiled once.
    quiet=$(find "$dir/build" -name 'quiet.cpp.o' -exec stat -c %y {} + | sort)
    [ "$n" = 1 ] || [ "$quiet" = "$quiet_first" ] || fail "$generator build $n: quiet.cpp compiled again"
    quiet_first=$quiet
    n=$((n + 1))
  done
  echo "ok: $generator: $builds builds at -j2, each counter up by exactly one per build and configuration, programs in step"

  "$cmake" --build "$dir/build" --target clean >"$dir/clean.log" 2>&1 || fail "$generator: clean"
  [ -f "$dir/shared_number.h" ] && [ -f "$dir/two/own_number.h" ] || fail "$generator: clean deleted a counter"
  build "$dir" "$generator build after clean"
  # shellcheck disable=SC2086
  expect "$dir" "$n" "$generator build after clean" $configurations
  n=$((n + 1))
  build "$dir" "$generator --clean-first" --clean-first
  # shellcheck disable=SC2086
  expect "$dir" "$n" "$generator --clean-first" $configurations
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
  expect "$dir" 1 "$way build" .
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
refused='true|STEPS_DISAGREE|every call must agree: '"'COUNTER shared_number.h HEADER shared.h VERBOSE' for zero, 'COUNTER shared_number.h HEADER shared.h NEXT' for zero"'
true|STEPS_IN_PLACE_TOO|'"'COUNTER shared_number.h HEADER shared.h VERBOSE' for zero, 'in place VERBOSE' for zero"'
true|STEPS_SOURCES|SOURCES is gone
true|STEPS_HEADER_OUTSIDE|HEADER '"'../shared.h'"' must be the one name the sources include
printf "#define OTHER 0\r\n" >two/other_number.h|STEPS_TWO_COUNTERS|two gets own.h from two counters
touch one/shared.h|STEPS_NONE|one/shared.h has the name of the header that the build writes from
touch one/include/shared.h|STEPS_NONE|one/include/shared.h has the name of the header
touch shared.h|STEPS_NONE|steps-refused/shared.h has the name of the header
rm shared_number.h|STEPS_NONE|shared_number.h does not exist. Create it with one line that ends in CR LF
printf "#define SHARED_BUILD 39\n" >shared_number.h|STEPS_NONE|shared_number.h: error: No EOL shared_number.h: note: its lines must end in CR LF, not LF alone; this keeps its number: sed -i '"'s/\\r*$/\\r/'"' shared_number.h
printf "#define SHARED_BUILD 0\r\n// note\r\n" >shared_number.h|STEPS_NONE|shared_number.h: error: No EOF after the build number value
printf "#define COUNT 0\r\n" >one/count.h|STEPS_COUNTER_IS_HEADER|one/count.h has the name of the header that the build writes from it for counted, in a folder its compiles search, so they would include the counter and keep an old number. Rename the counter to a name no source includes (git mv one/count.h one/build_number, then COUNTER one/build_number)
printf "#define COUNT 0\r\n" >one/count.h; echo "#include \"count.h\"" >one/counted.cpp|STEPS_INCLUDES_COUNTER|one/counted.cpp includes the counter count.h itself
printf "#define COUNT 0\r\n" >one/count.h; echo "#include \"count.h\"" >one/include/config.h; echo "#include \"config.h\"" >one/counted.cpp|STEPS_INCLUDES_COUNTER|one/include/config.h, a header that the sources of counted include, includes the counter count.h itself'
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
# A target that includes the header but was not named is pointed out.
"$cmake" -S "$dir" -B "$dir/build" -DSTEPS_UNNAMED_INCLUDER=ON >"$dir/configure.log" 2>&1 ||
  { cat "$dir/configure.log"; fail "a target not named: configure failed"; }
tr -s ' \n' '  ' <"$dir/configure.log" | grep -qF "one/one.cpp, a source of unnamed, includes shared.h" ||
  { cat "$dir/configure.log"; fail "a target not named that includes the header: no warning"; }
echo "ok: a target not named that includes the header is warned of"
