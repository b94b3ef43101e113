#!/bin/sh
# The example consumer with ccache between the step and the compiler, built
# by CMake (Ninja) and by its Makefile: five builds in a row each carry a
# new number of their own, though ccache has the other sources; with the
# CI's number fixed, the same build again from clean is all cache hits and
# carries that number. Skipped (77) where ccache is not installed.
#   compiler_cache_test.sh BUILD_DIR SOURCE_DIR SCRATCH
set -eu
build=$1 source=$2 scratch=$3
. "$(dirname "$0")/lib.sh"
cmake=${CMAKE:-cmake}
command -v ccache >/dev/null || { echo "skipped: ccache not found (apt-get install ccache)"; exit 77; }
rm -rf "$scratch" && mkdir -p "$scratch"
scratch=$(cd "$scratch" && pwd)
"$cmake" --install "$build" --prefix "$scratch/prefix" >/dev/null
export CCACHE_DIR="$scratch/ccache" CCACHE_NOHASHDIR=1
number() { sed -n 's/^#define BUILD_NUMBER \([0-9]*\)\r$/\1/p' "$1"; }
# stat NAME: one of ccache's counters since the last zeroing.
stat() { ccache --print-stats | awk -v name="$1" '$1 == name { print $2 }'; }

for way in cmake make; do
  dir=$scratch/$way
  cp -R "$source/examples/consumer" "$dir"
  echo 'int other() { return 0; }' >"$dir/other.cpp"
  printf '#define BUILD_NUMBER 41\r\n' >"$dir/build_number"
  if [ $way = cmake ]; then
    echo 'target_sources(consumer PRIVATE other.cpp)' >>"$dir/CMakeLists.txt"
    configure() {
      rm -rf "$dir/build"
      "$cmake" -S "$dir" -B "$dir/build" -G Ninja -DCMAKE_PREFIX_PATH="$scratch/prefix" \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
    }
    run_build() { "$cmake" --build "$dir/build"; }
    program=$dir/build/consumer
  else
    configure() { make -C "$dir" REVTICK_PREFIX="$scratch/prefix" clean >/dev/null; }
    run_build() { make -C "$dir" REVTICK_PREFIX="$scratch/prefix" CXX="ccache c++"; }
    program=$dir/consumer
  fi
  configure
  ccache -z >/dev/null
  for n in 1 2 3 4 5; do
    run_build >"$dir/build.log" 2>&1 || { cat "$dir/build.log"; fail "$way: build $n"; }
    [ "$("$program")" = "$(number "$dir/build_number")" ] ||
      fail "$way: build $n carries $("$program"), the counter holds $(number "$dir/build_number")"
  done
  [ "$(number "$dir/build_number")" = 46 ] || fail "$way: five builds raised the counter to $(number "$dir/build_number")"
  echo "ok: $way with ccache: five builds, five numbers ($(stat cache_miss) compiles missed the cache)"

  export REVTICK_BUILD_NUMBER=4000000000
  configure && run_build >"$dir/build.log" 2>&1 || { cat "$dir/build.log"; fail "$way: the CI's build"; }
  configure && ccache -z >/dev/null
  run_build >"$dir/build.log" 2>&1 || { cat "$dir/build.log"; fail "$way: the CI's build again"; }
  hits=$(($(stat direct_cache_hit) + $(stat preprocessed_cache_hit)))
  [ "$(stat cache_miss)" = 0 ] && [ "$hits" -gt 0 ] ||
    fail "$way: the CI's build again from clean: $hits hits, $(stat cache_miss) misses"
  [ "$("$program")" = 4000000000 ] || fail "$way: the CI's build carries $("$program")"
  unset REVTICK_BUILD_NUMBER
  echo "ok: $way with ccache: the CI's number again from clean is $hits cache hits and no miss"
done
