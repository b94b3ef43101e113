#!/bin/sh
# The build-number step as projects use it, from a folder deeper than the
# tool's 259-character name limit: three programs in two folders share one
# header and one of them has a second header (tests/integration/steps).
#
# With Ninja and with Unix Makefiles, built again and again at -j2, every
# build succeeds and each header rises by exactly one; with Ninja the
# programs are compiled again each time, except a source left out of SOURCES. clean and --clean-first leave the
# headers in place, and the next build goes on from their numbers. The same
# project then takes revtick from its source, with FetchContent and with
# add_subdirectory, and gets the tool and nothing else of revtick's.
#   build_steps_test.sh BUILD_DIR SOURCE_DIR SCRATCH
set -eu
build=$1 source=$2 scratch=$3
cmake=${CMAKE:-cmake}
builds=${REVTICK_STEP_BUILDS:-8}
rm -rf "$scratch" && mkdir -p "$scratch"
"$cmake" --install "$build" --prefix "$scratch/prefix" >/dev/null

fail() { echo "FAIL: $*" >&2; exit 1; }

# A folder whose path alone is longer than 259 characters.
deep=$scratch/$(printf '%0150d' 0 | tr 0 d)/$(printf '%0120d' 0 | tr 0 e)
[ "${#deep}" -gt 259 ] || fail "the deep folder is only ${#deep} characters"

number() {  # number FILE: the build number a header holds
  sed -n 's/^#define [A-Z_]* \([0-9]*\)\r$/\1/p' "$1"
}

fresh() {  # fresh DIR: a copy of the project, its headers at 0 and 100
  rm -rf "$1" && mkdir -p "$(dirname "$1")"
  cp -R "$source/tests/integration/steps" "$1"
  printf '#define SHARED_BUILD 0\r\n' >"$1/shared.h"
  printf '#define OWN_BUILD 100\r\n' >"$1/two/own.h"
}

build() {  # build DIR WHAT [cmake --build options]: one build that must succeed
  dir=$1 what=$2
  shift 2
  "$cmake" --build "$dir/build" -j2 "$@" >"$dir/build.log" 2>&1 ||
    { cat "$dir/build.log"; fail "$what failed"; }
}

expect() {  # expect DIR SHARED OWN WHAT: the headers' numbers
  [ "$(number "$1/shared.h")" = "$2" ] && [ "$(number "$1/two/own.h")" = "$3" ] ||
    fail "$4: headers hold $(number "$1/shared.h") and $(number "$1/two/own.h"), not $2 and $3"
  # One report per header: each was raised by exactly one step.
  [ "$(grep -c 'Macro "SHARED_BUILD" set to' "$1/build.log")" = 1 ] ||
    fail "$4: shared.h was not raised by exactly one step"
}

in_step() {  # in_step DIR SHARED OWN WHAT: the programs print the headers' numbers
  for program in zero one/one; do
    [ "$("$1/build/$program")" = "$2" ] || fail "$4: $program prints $("$1/build/$program"), not $2"
  done
  [ "$("$1/build/two/two")" = "$2 $3" ] || fail "$4: two prints $("$1/build/two/two"), not $2 $3"
}

for generator in Ninja "Unix Makefiles"; do
  name=$(echo "$generator" | tr ' ' '-')
  dir=$deep/$name
  fresh "$dir"
  "$cmake" -S "$dir" -B "$dir/build" -G "$generator" -DCMAKE_PREFIX_PATH="$scratch/prefix" \
    >"$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; fail "$generator: configure"; }
  n=1
  while [ "$n" -le "$builds" ]; do
    build "$dir" "$generator build $n"
    expect "$dir" "$n" $((100 + n)) "$generator build $n"
    # Ninja compiles the programs again after every update; make compares
    # times, and the header is stamped two seconds back.
    if [ "$generator" = Ninja ]; then
      in_step "$dir" "$n" $((100 + n)) "$generator build $n"
      # What SOURCES leaves out is compiled once.
      quiet=$(stat -c %y "$dir/build/one/CMakeFiles/one.dir/quiet.cpp.o")
      [ "$n" = 1 ] || [ "$quiet" = "$quiet_first" ] || fail "$generator build $n: quiet.cpp compiled again"
      quiet_first=$quiet
    fi
    n=$((n + 1))
  done
  echo "ok: $generator: $builds builds at -j2, each header up by exactly one per build"

  "$cmake" --build "$dir/build" --target clean >"$dir/clean.log" 2>&1 || fail "$generator: clean"
  [ -f "$dir/shared.h" ] && [ -f "$dir/two/own.h" ] || fail "$generator: clean deleted a header"
  expect_after=$n
  build "$dir" "$generator build after clean"
  expect "$dir" "$expect_after" $((100 + expect_after)) "$generator build after clean"
  in_step "$dir" "$expect_after" $((100 + expect_after)) "$generator build after clean"
  n=$((n + 1))
  build "$dir" "$generator --clean-first" --clean-first
  expect "$dir" "$n" $((100 + n)) "$generator --clean-first"
  in_step "$dir" "$n" $((100 + n)) "$generator --clean-first"
  echo "ok: $generator: clean and --clean-first keep the headers; the builds go on from them"
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
  in_step "$dir" 1 101 "$way build"
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

# Two calls for one header that disagree on the options stop the configure.
dir=$scratch/disagree
fresh "$dir"
if "$cmake" -S "$dir" -B "$dir/build" -G Ninja -DCMAKE_PREFIX_PATH="$scratch/prefix" \
  -DSTEPS_DISAGREE=ON >"$dir/configure.log" 2>&1; then
  fail "two calls with different options for one header were accepted"
fi
tr -s ' \n' '  ' <"$dir/configure.log" | grep -q "every call must give the same options: '-v' for zero, '-n' for zero" ||
  { cat "$dir/configure.log"; fail "no clear message for options that disagree"; }
echo "ok: calls that disagree on a header's options are refused when configuring"
