#!/bin/sh
# Installs revtick from a build folder into a scratch prefix, then builds the
# example consumer (examples/consumer) against it each way it is built:
# CMake with Ninja, CMake with Unix Makefiles, and its plain Makefile. A
# build raises the counter and the program prints its number; a counter the
# tool rejects fails the build with the tool's message and leaves the
# generated header as it was. (counter_builds_test.sh builds them again and
# again.) docs/integration.md shows these files as they are. (The MSBuild
# step runs in tests/msbuild.)
#   consumer_test.sh BUILD_DIR SOURCE_DIR SCRATCH
set -eu
build=$1 source=$2 scratch=$3
rm -rf "$scratch" && mkdir -p "$scratch"
"${CMAKE:-cmake}" --install "$build" --prefix "$scratch/prefix" >/dev/null

. "$(dirname "$0")/lib.sh"

for way in Ninja "Unix Makefiles" make; do
  dir=$scratch/$(echo "$way" | tr ' ' '-')
  cp -R "$source/examples/consumer" "$dir"
  printf '#define BUILD_NUMBER 6\r\n' >"$dir/build_number"
  if [ "$way" = make ]; then
    run_build() { make -C "$dir" REVTICK="$scratch/prefix/bin/revtick"; }
    program=$dir/consumer header=$dir/generated/version.h
  else
    "${CMAKE:-cmake}" -S "$dir" -B "$dir/build" -G "$way" -DCMAKE_PREFIX_PATH="$scratch/prefix" >/dev/null
    run_build() { "${CMAKE:-cmake}" --build "$dir/build"; }
    program=$dir/build/consumer header=""
  fi
  run_build >"$dir/build.log" 2>&1 || { cat "$dir/build.log"; fail "$way: build"; }
  [ -n "$header" ] || header=$(find "$dir/build" -name version.h)
  grep -q 'Macro "BUILD_NUMBER" set to 7 in' "$dir/build.log" || fail "$way: no report"
  [ "$("$program")" = 7 ] || fail "$way: the program prints $("$program"), not 7"
  cmp -s "$header" "$dir/build_number" || fail "$way: $header is not the counter's copy"

  # Built again without raising, as before an install or a package: the
  # counter and the header stay, and nothing is compiled.
  if [ "$way" = make ]; then
    make -C "$dir" REVTICK="$scratch/prefix/bin/revtick" REVTICK_RAISE=0 >"$dir/build.log" 2>&1
  else
    "${CMAKE:-cmake}" -DREVTICK_RAISE=OFF "$dir/build" >/dev/null && run_build >"$dir/build.log" 2>&1
  fi || { cat "$dir/build.log"; fail "$way: a build without raising"; }
  [ "$(cat "$dir/build_number")" = "$(printf '#define BUILD_NUMBER 7\r')" ] || fail "$way: raised without raising"
  ! grep -q 'main\.cpp' "$dir/build.log" || fail "$way: a build without raising compiled main.cpp"
  [ "$("$program")" = 7 ] || fail "$way: without raising, the program prints $("$program")"
  [ "$way" = make ] || "${CMAKE:-cmake}" -DREVTICK_RAISE=ON "$dir/build" >/dev/null

  printf '#define BUILD_NUMBER x\r\n' >"$dir/build_number"
  if run_build >"$dir/build.log" 2>&1; then fail "$way: a bad counter did not fail the build"; fi
  grep -q 'Invalid number: "x"' "$dir/build.log" || fail "$way: the tool's message is not in the build output"
  [ "$(cat "$header")" = "$(printf '#define BUILD_NUMBER 7\r')" ] || fail "$way: a failed update changed $header"
  echo "ok: $way: the build raises the counter; a bad counter fails it with the tool's message"
done

# docs/integration.md shows the Makefile that was just tested, and the batch
# file (tested under Wine, batch_test.sh), verbatim.
readme_block "$source/docs/integration.md" examples/consumer/Makefile make >"$scratch/readme.mk"
cmp -s "$scratch/readme.mk" "$source/examples/consumer/Makefile" ||
  fail "docs/integration.md's Makefile differs from examples/consumer/Makefile"
readme_block "$source/docs/integration.md" examples/consumer/build.bat bat >"$scratch/readme.bat"
tr -d '\r' <"$source/examples/consumer/build.bat" | cmp -s "$scratch/readme.bat" - ||
  fail "docs/integration.md's batch file differs from examples/consumer/build.bat"
echo "ok: docs/integration.md's Makefile and batch file are the tested ones"

