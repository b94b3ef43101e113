#!/bin/sh
# Installs revtick from a build folder into a scratch prefix, then builds the
# example consumer (examples/consumer) against it, twice with each way of
# building: CMake with Ninja, CMake with Unix Makefiles, and its plain
# Makefile. After every build the header must have gone up by exactly one
# and the program must print the header's number.
#   consumer_test.sh BUILD_DIR SOURCE_DIR SCRATCH
set -eu
build=$1 source=$2 scratch=$3
rm -rf "$scratch" && mkdir -p "$scratch"
"${CMAKE:-cmake}" --install "$build" --prefix "$scratch/prefix" >/dev/null

. "$(dirname "$0")/lib.sh"

# The number in the header, and what the program compiled from it prints.
check() {  # check DIR PROGRAM EXPECTED WHAT
  header=$(cat "$1/version.h")
  [ "$header" = "$(printf '#define BUILD_NUMBER %s\r' "$3")" ] ||
    fail "$4: header holds '$header', not $3"
  printed=$("$2")
  [ "$printed" = "$3" ] || fail "$4: the program prints $printed, the header holds $3"
  echo "ok: $4: header and program at $3"
}

# revtick stamps the header two seconds back; a build within two seconds of
# the last would see it as older than the objects it already has.
pause() { sleep 3; }

fresh() {  # fresh NAME: a copy of the example with the number at 0
  rm -rf "${scratch:?}/$1"
  cp -R "$source/examples/consumer" "$scratch/$1"
  printf '#define BUILD_NUMBER 0\r\n' >"$scratch/$1/version.h"
}

for generator in Ninja "Unix Makefiles"; do
  dir=$scratch/$(echo "$generator" | tr ' ' '-')
  fresh "$(basename "$dir")"
  "${CMAKE:-cmake}" -S "$dir" -B "$dir/build" -G "$generator" -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
  for n in 1 2; do
    [ "$n" = 1 ] || pause
    "${CMAKE:-cmake}" --build "$dir/build" >"$dir/build.log" 2>&1 || { cat "$dir/build.log"; fail "$generator build $n"; }
    grep -q "Macro \"BUILD_NUMBER\" set to $n in" "$dir/build.log" || fail "$generator build $n: no report"
    check "$dir" "$dir/build/consumer" "$n" "$generator build $n"
  done
done

# A failed update fails the build, with the tool's message in its output.
printf '#define BUILD_NUMBER x\r\n' >"$dir/version.h"
if "${CMAKE:-cmake}" --build "$dir/build" >"$dir/build.log" 2>&1; then fail "a bad header did not fail the build"; fi
grep -q 'Invalid number: "x"' "$dir/build.log" || fail "the tool's message is not in the build output"
echo "ok: a bad header fails the build with the tool's message"

fresh make
for n in 1 2; do
  [ "$n" = 1 ] || pause
  make -C "$scratch/make" REVTICK="$scratch/prefix/bin/revtick" >"$scratch/make.log" 2>&1 ||
    { cat "$scratch/make.log"; fail "make $n"; }
  check "$scratch/make" "$scratch/make/consumer" "$n" "make $n"
done

# docs/integration.md shows the Makefile that was just tested, verbatim.
readme_block "$source/docs/integration.md" examples/consumer/Makefile make >"$scratch/readme.mk"
cmp -s "$scratch/readme.mk" "$source/examples/consumer/Makefile" ||
  fail "docs/integration.md's Makefile differs from examples/consumer/Makefile"
echo "ok: docs/integration.md's Makefile is the tested one"
