#!/bin/sh
# Projects that cross-compile for Windows with our mingw-w64 toolchain file
# run their build-number step with a revtick for the build machine:
# - the installed package, found through revtick_DIR (the toolchain's root
#   path keeps CMAKE_PREFIX_PATH from reaching it);
# - revtick's source brought in with FetchContent, which builds a second
#   revtick for the build machine.
# A package whose program does not run here (the Windows one, on Linux) is
# refused when the project is configured, with a message that says so.
#   cross_consumer_test.sh BUILD_DIR SOURCE_DIR SCRATCH WINDOWS_BUILD_DIR
set -eu
build=$1 source=$2 scratch=$3 windows=$4
cmake=${CMAKE:-cmake}
toolchain=$source/cmake/toolchains/mingw-w64-x86_64.cmake
rm -rf "$scratch" && mkdir -p "$scratch"
. "$(dirname "$0")/lib.sh"
"$cmake" --install "$build" --prefix "$scratch/prefix" >/dev/null
"$cmake" --install "$windows" --prefix "$scratch/windows" >/dev/null

is_windows_program() {  # is_windows_program FILE
  [ "$(head -c 2 "$1")" = MZ ]
}

configure() {  # configure DIR LOG cmake options: must succeed
  dir=$1 log=$2
  shift 2
  "$cmake" -S "$dir" -B "$dir/build" -G Ninja "$@" >"$log" 2>&1 || { cat "$log"; fail "configure $dir"; }
}
build() {  # build DIR
  "$cmake" --build "$1/build" >"$1/build.log" 2>&1 || { cat "$1/build.log"; fail "build $1"; }
}

# The installed package, for a Windows program built on Linux.
dir=$scratch/installed
cp -R "$source/examples/consumer" "$dir"
printf '#define BUILD_NUMBER 6\r\n' >"$dir/build_number"
configure "$dir" "$dir/configure.log" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -Drevtick_DIR="$scratch/prefix/lib/cmake/revtick"
build "$dir"
[ "$(cat "$dir/build_number")" = "$(printf '#define BUILD_NUMBER 7\r')" ] || fail "installed: not raised"
grep -qF -- "$scratch/prefix/bin/revtick-step " "$dir/build/build.ninja" ||
  fail "installed: the step does not run the installed program"
is_windows_program "$dir/build/consumer.exe" || fail "installed: no Windows program built"
echo "ok: a mingw-w64 cross build runs the installed revtick of the build machine"

# The source, fetched into the cross build.
dir=$scratch/fetched
cp -R "$source/tests/integration/steps" "$dir"
printf '#define SHARED_BUILD 0\r\n' >"$dir/shared_number.h"
printf '#define OWN_BUILD 100\r\n' >"$dir/two/own_number.h"
configure "$dir" "$dir/configure.log" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DREVTICK_FETCH="$source"
build "$dir"
[ "$(cat "$dir/shared_number.h")" = "$(printf '#define SHARED_BUILD 1\r')" ] || fail "fetched: shared_number.h not raised once"
[ "$(cat "$dir/two/own_number.h")" = "$(printf '#define OWN_BUILD 101\r')" ] || fail "fetched: own_number.h not raised once"
helper=$(find "$dir/build" -path '*build-machine/revtick-step' -type f)
[ -n "$helper" ] && ! is_windows_program "$helper" || fail "fetched: no revtick for the build machine"
is_windows_program "$dir/build/two/two.exe" || fail "fetched: no Windows program built"
echo "ok: a mingw-w64 cross build that fetches revtick builds one for the build machine and runs it"

# The Windows package, on this Linux machine.
dir=$scratch/foreign
cp -R "$source/examples/consumer" "$dir"
printf '#define BUILD_NUMBER 6\r\n' >"$dir/build_number"
if "$cmake" -S "$dir" -B "$dir/build" -G Ninja -Drevtick_DIR="$scratch/windows/lib/cmake/revtick" \
  >"$dir/configure.log" 2>&1; then
  fail "the Windows package was accepted on this machine"
fi
# CMake wraps the message; read it as one line.
message=$(tr -s ' \n' '  ' <"$dir/configure.log")
case $message in
  *"revtick.exe does not run on this machine"*"point revtick_DIR at"*) ;;
  *) cat "$dir/configure.log"; fail "no clear message" ;;
esac
echo "ok: the Windows package is refused when the project is configured"
