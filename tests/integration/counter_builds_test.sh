#!/bin/sh
# The build number in builds back to back, every way the examples build: a
# consumer of 20 sources, only main.cpp of which includes version.h, built
# 8 times in a row, then after a clean, then with a clean first. Every build
# must raise the counter by exactly one and compile again exactly the files
# that include the header: all 20 in the first build and after a clean; after
# that main.cpp alone, or all 20 with the in-place form, whose header's time
# tells nothing. The program must print the counter's number after every
# build. KEEP_TIME (-t) must leave the counter's time as it was. Prints the
# table of what it measured, and fails when a row missed.
#   counter_builds_test.sh BUILD_DIR SOURCE_DIR SCRATCH
set -eu
build=$1 source=$2 scratch=$3
. "$(dirname "$0")/lib.sh"
cmake=${CMAKE:-cmake}
meson=${MESON:-meson}
rm -rf "$scratch" && mkdir -p "$scratch"
"$cmake" --install "$build" --prefix "$scratch/prefix" >/dev/null
step=$scratch/prefix/bin/revtick-step

# The compiler runs through a launcher that notes each source it compiles.
compile_note "$scratch"

# shellcheck disable=SC2086 # $parts is a list of file names, split where used
parts=$(seq -f 'part%02g.cpp' 1 19 | tr '\n' ' ')
# Lists of sources, as the compile log is read back.
sources() { printf '%s\n' "$@" | sort | tr '\n' ' '; }
all=$(sources main.cpp $parts) includers=$(sources main.cpp)

# The table: what builds | how | options | form of the CMake call.
rows='Ninja|Ninja||counter
Ninja|Ninja|KEEP_TIME|counter
Ninja Multi-Config|Ninja Multi-Config||counter
Ninja Multi-Config|Ninja Multi-Config|KEEP_TIME|counter
Unix Makefiles|Unix Makefiles||counter
Unix Makefiles|Unix Makefiles|KEEP_TIME|counter
Ninja, in place|Ninja|KEEP_TIME|in place
Unix Makefiles, in place|Unix Makefiles||in place
examples/consumer/Makefile|make||
examples/consumer/Makefile|make|KEEP_TIME|
examples/meson|meson||
examples/meson|meson|KEEP_TIME|'

number() { sed -n 's/^#define BUILD_NUMBER \([0-9]*\)\r$/\1/p' "$1"; }

# fresh DIR EXAMPLE: a copy of the example with 19 more sources, none of
# which includes the header, and the counter at 41.
fresh() {
  rm -rf "$1" && cp -R "$source/examples/$2" "$1"
  for part in $parts; do
    echo "int ${part%.cpp}() { return 0; }" >"$1/$part"
  done
  printf '#define BUILD_NUMBER 41\r\n' >"$1/build_number"
}

# setup ROW: makes $dir ready to build, and sets how to build and clean it,
# the program, the counter and the files each build must compile again.
setup() {
  dir=$scratch/$(echo "$1 $3" | tr -c 'A-Za-z0-9\n' '-')
  counter=$dir/build_number again=$includers
  case $2 in
    make)
      fresh "$dir" consumer
      flags=-v
      [ -z "$3" ] || flags="-v -t"
      make="make -C $dir -j2 REVTICK_PREFIX=$scratch/prefix CXX=$scratch/note\ c++"
      build="$make REVTICK_FLAGS=\"$flags\"" clean="$make clean" program=$dir/consumer ;;
    meson)
      command -v "$meson" >/dev/null || return 1
      fresh "$dir" meson
      sed -i "s/'main.cpp',/'main.cpp', '$(echo $parts | sed "s/ /', '/g")',/" "$dir/meson.build"
      if [ -n "$3" ]; then
        sed -i "s/^options = \\[\\]/options = ['-t']/" "$dir/meson.build"
        grep -q "'-t'" "$dir/meson.build" || fail "$1: no -t in meson.build"
      fi
      CXX="$scratch/note c++" "$meson" setup "$dir/build" "$dir" -Drevtick_step="$step" \
        >"$dir/setup.log" 2>&1 || { cat "$dir/setup.log"; fail "$1: meson setup"; }
      build="$meson compile -C $dir/build -j2" clean="$meson compile -C $dir/build --clean"
      program=$dir/build/consumer ;;
    *)
      fresh "$dir" consumer
      echo "target_sources(consumer PRIVATE $parts)" >>"$dir/CMakeLists.txt"
      [ -z "$3" ] || sed -i "s/ VERBOSE)/ VERBOSE $3)/" "$dir/CMakeLists.txt"
      if [ "$4" = "in place" ]; then
        sed -i 's/COUNTER build_number HEADER/HEADER/' "$dir/CMakeLists.txt"
        counter=$dir/version.h again=$all
        mv "$dir/build_number" "$counter"
      fi
      "$cmake" -S "$dir" -B "$dir/build" -G "$2" -DCMAKE_PREFIX_PATH="$scratch/prefix" \
        -DCMAKE_CXX_COMPILER_LAUNCHER="$scratch/note" >"$dir/configure.log" 2>&1 ||
        { cat "$dir/configure.log"; fail "$1: configure"; }
      # CMake wraps its messages; read them as one line.
      [ "$4" != "in place" ] || tr -s ' \n' '  ' <"$dir/configure.log" |
        grep -qF 'call revtick_build_number(TARGET consumer COUNTER build_number HEADER version.h)' ||
        fail "$1: configure does not say how to move to the COUNTER form"
      build="$cmake --build $dir/build -j2" clean="$cmake --build $dir/build --target clean"
      program=$dir/build/consumer
      [ "$2" != "Ninja Multi-Config" ] || program=$dir/build/Debug/consumer ;;
  esac
}

# "20 1 1 1 20" as "20, 3 × 1, 20".
runs() {
  echo "$1" | tr ' ' '\n' | awk 'NR > 1 && $0 != last { out = out sep (n > 1 ? n " × " : "") last; sep = ", "; n = 0 }
    { last = $0; n++ } END { print out sep (n > 1 ? n " × " : "") last }'
}

echo "| build | options | builds | compiles per build | builds where the program was behind | counter before → after |"
echo "|---|---|---:|---|---:|---|"
echo "$rows" | while IFS='|' read -r name how options form; do
  if ! setup "$name" "$how" "$options" "$form"; then
    echo "| $name | $options | skipped: $how is not installed | | | |"
    continue
  fi
  before=$(number "$counter") time_before=$(stat -c %y "$counter")
  n=0 behind=0 compiles="" wrong=""
  for kind in 1 2 3 4 5 6 7 8 clean clean-first; do
    : >"$COMPILE_LOG"
    [ "$kind" != clean ] || eval "$clean" >"$dir/clean.log" 2>&1 || fail "$name: clean"
    [ "$kind" != clean-first ] || case $how in
      make | meson) eval "$clean" >"$dir/clean.log" 2>&1 || fail "$name: clean" ;;
      *) build="$build --clean-first" ;;
    esac
    eval "$build" >"$dir/build.log" 2>&1 || { cat "$dir/build.log"; fail "$name $options: build $kind"; }
    n=$((n + 1))
    [ "$(number "$counter")" = $((before + n)) ] ||
      fail "$name $options: build $kind left the counter at $(number "$counter"), not $((before + n))"
    [ "$("$program")" = $((before + n)) ] || behind=$((behind + 1))
    expected=$again
    case $kind in 1 | clean | clean-first) expected=$all ;; esac
    compiled=$(sort "$COMPILE_LOG" | tr '\n' ' ')
    [ "$compiled" = "$expected" ] || wrong="$wrong $kind"
    compiles="$compiles $(wc -l <"$COMPILE_LOG")"
  done
  kept=""
  if [ -n "$options" ] && [ "$(stat -c %y "$counter")" != "$time_before" ]; then
    kept=" (the counter's time moved)"
  fi
  echo "| $name | ${options:--} | $n | $(runs "${compiles# }")${wrong:+ (wrong in builds$wrong)} | $behind | $before → $(number "$counter")$kept |"
  [ "$behind" = 0 ] && [ -z "$wrong" ] && [ -z "$kept" ] || echo "$name $options" >>"$scratch/missed"
done
[ ! -e "$scratch/missed" ] || fail "rows that missed: $(paste -sd ';' "$scratch/missed")"
echo "ok: every build raised the counter once, compiled again exactly what includes the header," \
  "and gave the program the counter's number"
