#!/bin/sh
# Installs revtick from a build folder into a scratch prefix, then builds the
# Meson example (examples/meson) against it, twice in a row. After every
# build the counter must have gone up by exactly one, the generated header
# must hold the same text, and the program must print that number. A bad
# counter must fail the build with the tool's message. Exits with 77 (a
# skipped test) when meson is not installed.
#   meson_test.sh BUILD_DIR SOURCE_DIR SCRATCH
set -eu
build=$1 source=$2 scratch=$3
. "$(dirname "$0")/lib.sh"
meson=${MESON:-meson}
command -v "$meson" >/dev/null || { echo "Meson example skipped: meson not found (apt-get install meson)"; exit 77; }

rm -rf "$scratch" && mkdir -p "$scratch"
"${CMAKE:-cmake}" --install "$build" --prefix "$scratch/prefix" >/dev/null
dir=$scratch/meson
cp -R "$source/examples/meson" "$dir"
printf '#define BUILD_NUMBER 0\r\n' >"$dir/build_number"

"$meson" setup "$dir/build" "$dir" -Drevtick="$scratch/prefix/bin/revtick" >"$scratch/setup.log" 2>&1 ||
  { cat "$scratch/setup.log"; fail "meson setup"; }
! grep -i 'warning' "$scratch/setup.log" || fail "meson setup warns"

expected() { printf '#define BUILD_NUMBER %s\r' "$1"; }

# No pause between the builds: the program includes the copy, which every
# build writes anew, so the two-second-old stamp on the counter does not
# matter here.
for n in 1 2; do
  "$meson" compile -C "$dir/build" >"$scratch/build.log" 2>&1 || { cat "$scratch/build.log"; fail "build $n"; }
  grep -q "Macro \"BUILD_NUMBER\" set to $n in" "$scratch/build.log" || fail "build $n: no report"
  [ "$(cat "$dir/build_number")" = "$(expected $n)" ] || fail "build $n: the counter holds '$(cat "$dir/build_number")'"
  cmp -s "$dir/build_number" "$dir/build/version.h" || fail "build $n: version.h is not a copy of the counter"
  printed=$("$dir/build/consumer")
  [ "$printed" = "$n" ] || fail "build $n: the program prints $printed, the header holds $n"
  echo "ok: meson build $n: counter, generated header and program at $n"
done

# A failed update fails the build, with the tool's message in its output,
# and leaves the generated header at the last good number.
printf '#define BUILD_NUMBER x\r\n' >"$dir/build_number"
if "$meson" compile -C "$dir/build" >"$scratch/build.log" 2>&1; then fail "a bad header did not fail the build"; fi
grep -q 'Invalid number: "x"' "$scratch/build.log" || fail "the tool's message is not in the build output"
[ "$(cat "$dir/build/version.h")" = "$(expected 2)" ] || fail "a failed update changed version.h"
echo "ok: a bad header fails the meson build with the tool's message"

# docs/integration.md shows the meson.build that was just tested, verbatim.
readme_block "$source/docs/integration.md" examples/meson/meson.build meson >"$scratch/readme.meson"
cmp -s "$scratch/readme.meson" "$source/examples/meson/meson.build" ||
  fail "docs/integration.md's meson.build differs from examples/meson/meson.build"
echo "ok: docs/integration.md's meson.build is the tested one"
