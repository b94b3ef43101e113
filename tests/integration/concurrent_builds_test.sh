#!/bin/sh
# Builds that share one counter, run at the same moment, every way the
# examples build: two build folders of one source (CMake with Ninja and
# with Unix Makefiles, Meson), two copies of the make example, and Ninja
# Multi-Config building two configurations of one folder in parallel, in
# one build command (two ninja runs in one folder race for Ninja's own
# .ninja_log, whatever the step does). Each round starts the builds at
# once; then every build must have succeeded, every program built must
# carry a number no other program got, and the counter must have risen by
# exactly the number of programs built. Prints the table of what it
# measured, and fails when a row missed.
#   concurrent_builds_test.sh BUILD_DIR SOURCE_DIR SCRATCH
set -eu
build=$1 source=$2 scratch=$3
. "$(dirname "$0")/lib.sh"
cmake=${CMAKE:-cmake}
meson=${MESON:-meson}
rounds=${REVTICK_CONCURRENT_ROUNDS:-20}
rm -rf "$scratch" && mkdir -p "$scratch"
"$cmake" --install "$build" --prefix "$scratch/prefix" >/dev/null

# The table: what builds | how.
rows='CMake, Ninja, two folders|Ninja
CMake, Unix Makefiles, two folders|Unix Makefiles
CMake, Ninja Multi-Config, Debug and Release of one folder in one build|multi
examples/consumer/Makefile, two copies|make
examples/meson, two folders|meson'

number() { sed -n 's/^#define BUILD_NUMBER \([0-9]*\)\r$/\1/p' "$1"; }

# setup HOW DIR: makes DIR ready, with its counter at 0, and sets `first`
# and `second`, the two builds, and `programs`, what they make.
setup() {
  dir=$2
  rm -rf "$dir" && mkdir -p "$dir"
  cp -R "$source/examples/consumer" "$dir/source"
  counter=$dir/source/build_number
  printf '#define BUILD_NUMBER 0\r\n' >"$counter"
  case $1 in
    make)
      cp -R "$dir/source" "$dir/copy"
      make="make -s REVTICK_PREFIX=$scratch/prefix REVTICK_COUNTER=$counter"
      first="$make -C $dir/source" second="$make -C $dir/copy"
      programs="$dir/source/consumer $dir/copy/consumer" ;;
    meson)
      command -v "$meson" >/dev/null || return 1
      cp -R "$source/examples/meson/." "$dir/source"
      for folder in one two; do
        "$meson" setup "$dir/$folder" "$dir/source" -Drevtick_step="$scratch/prefix/bin/revtick-step" >"$dir/setup.log" 2>&1 ||
          { cat "$dir/setup.log"; fail "meson setup"; }
      done
      first="$meson compile -C $dir/one" second="$meson compile -C $dir/two"
      programs="$dir/one/consumer $dir/two/consumer" ;;
    multi)
      "$cmake" -S "$dir/source" -B "$dir/build" -G "Ninja Multi-Config" \
        -DCMAKE_CROSS_CONFIGS=all "-DCMAKE_DEFAULT_CONFIGS=Debug;Release" \
        -DCMAKE_PREFIX_PATH="$scratch/prefix" >"$dir/configure.log" 2>&1 ||
        { cat "$dir/configure.log"; fail "$1: configure"; }
      first="$cmake --build $dir/build -j2" second=true
      programs="$dir/build/Debug/consumer $dir/build/Release/consumer" ;;
    *)
      for type in Debug Release; do
        "$cmake" -S "$dir/source" -B "$dir/$type" -G "$1" -DCMAKE_BUILD_TYPE=$type \
          -DCMAKE_PREFIX_PATH="$scratch/prefix" >"$dir/configure.log" 2>&1 ||
          { cat "$dir/configure.log"; fail "$1: configure"; }
      done
      first="$cmake --build $dir/Debug" second="$cmake --build $dir/Release"
      programs="$dir/Debug/consumer $dir/Release/consumer" ;;
  esac
}

echo "| builds at once | rounds | builds | failed builds | numbers two programs share | counter before → after |"
echo "|---|---:|---:|---:|---:|---|"
echo "$rows" | while IFS='|' read -r name how; do
  dir=$scratch/$(echo "$how" | tr -c 'A-Za-z0-9\n' '-')
  if ! setup "$how" "$dir"; then
    echo "| $name | skipped: $how is not installed | | | | |"
    continue
  fi
  : >"$dir/numbers"
  failed=0 round=1
  while [ "$round" -le "$rounds" ]; do
    eval "$first" >"$dir/first.log" 2>&1 &
    one=$!
    eval "$second" >"$dir/second.log" 2>&1 &
    two=$!
    ok=1
    wait "$one" || { failed=$((failed + 1)) ok="" && cat "$dir/first.log" >&2; }
    wait "$two" || { failed=$((failed + 1)) ok="" && cat "$dir/second.log" >&2; }
    # What a failed round left is no build's program.
    for program in $programs; do
      [ -z "$ok" ] || "$program" >>"$dir/numbers" 2>/dev/null || echo "none" >>"$dir/numbers"
    done
    round=$((round + 1))
  done
  builds=$((2 * rounds))
  shared=$(sort "$dir/numbers" | uniq -d | wc -l)
  after=$(number "$counter")
  echo "| $name | $rounds | $builds | $failed | $shared | 0 → $after |"
  [ "$failed" = 0 ] && [ "$shared" = 0 ] && [ "$after" = "$builds" ] || echo "$name" >>"$scratch/missed"
done
[ ! -e "$scratch/missed" ] || fail "rows that missed: $(paste -sd ';' "$scratch/missed")"
echo "ok: builds at once never failed, never gave two programs one number, and raised the counter once each"
