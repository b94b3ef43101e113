#!/bin/sh
# On a target whose C library keeps 32-bit time_t and off_t unless asked
# (32-bit glibc), the POSIX layer compiles only when asked for 64 bits, as
# the build does; without it, it must refuse.
#   narrow_time_test.sh CXX SOURCE_DIR
set -eu
cxx=$1 source=$2
. "$(dirname "$0")/lib.sh"

check() {  # check EXPECTED_TEXT FILE FLAGS...: compiles, or fails with the text
  expected=$1 file=$2
  shift 2
  if output=$("$cxx" -std=c++20 -fsyntax-only -I "$source" "$@" "$source/$file" 2>&1); then
    [ -z "$expected" ] || fail "$file compiled with '$*'"
    echo "ok: $file compiles with '$*'"
  else
    [ -n "$expected" ] || fail "$file did not compile with '$*': $output"
    echo "$output" | grep -q "$expected" || fail "$file failed for another reason: $output"
    echo "ok: $file refused with '$*': $expected"
  fi
}

wide="-D_FILE_OFFSET_BITS=64 -D_TIME_BITS=64"
for file in platform/posix/calendar.cpp platform/posix/clock.cpp platform/posix/files.cpp; do
  check "" "$file" $wide
  check "time_t must have 64 bits" "$file"
  check "time_t must have 64 bits" "$file" -D_FILE_OFFSET_BITS=64
done
