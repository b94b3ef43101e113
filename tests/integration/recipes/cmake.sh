# The example consumer's CMakeLists.txt, against the installed package, with
# the generator named by the driver's argument (Ninja, Unix Makefiles).
recipe_init() { generator=$1 label="CMake, $1"; }
recipe_prepare() { # DIR NEXT FROM OFFSET
  cp -R "$source/examples/consumer" "$1"
  words=""
  [ "$2" = 0 ] || words="$words NEXT"
  [ -z "$3" ] || words="$words NUMBER_FROM $3"
  [ -z "$4" ] || words="$words NUMBER_OFFSET $4"
  [ -z "$words" ] || sed -i "s/ VERBOSE)/ VERBOSE$words)/" "$1/CMakeLists.txt"
}
recipe_configure() { # DIR RAISE; an OFF that stays in the cache must be said
  "$cmake" -S "$1" -B "$1/build" -G "$generator" -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_CXX_COMPILER_LAUNCHER="$note" -DREVTICK_RAISE="$2" >"$1/cmake.log" 2>&1 || { cat "$1/cmake.log"; return 1; }
  cat "$1/cmake.log"
  [ "$2" = ON ] || grep -q 'REVTICK_RAISE is OFF' "$1/cmake.log" || { echo "REVTICK_RAISE=OFF, unsaid"; return 1; }
}
recipe_build() { "$cmake" --build "$1/build"; }
recipe_header() { find "$1/build/CMakeFiles/revtick" -name version.h; }
recipe_program() { "$1/build/consumer"; }
