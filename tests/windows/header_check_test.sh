#!/bin/sh
# The header check must refuse a program that the loader could not move
# (ASLR), that lets its data run (DEP), whose 64-bit addresses come from the
# low 4 GB only, that names a newer system than it was built for, whose
# manifest asks for other rights, whose version is not the project's, or
# that has grown: each case is the built program with one field changed (or
# the check told another version), and the check must fail naming what is
# wrong.
#   header_check_test.sh CMAKE CHECK_SCRIPT EXE MACHINE SUBSYSTEM_VERSION VERSION SCRATCH TOOL_ARG...
# TOOL_ARG: the check's readers, -DOBJDUMP=... -DNM=... -DSTRIP=... or -DREADOBJ=...
set -eu
. "$(dirname "$0")/../integration/lib.sh"
cmake=$1 check=$2 exe=$3 machine=$4 subsystem=$5 version=$6 scratch=$7
shift 7
max_size=1048576  # the size is not what most cases are about
rm -rf "$scratch" && mkdir -p "$scratch"

u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
put16() {  # put16 FILE OFFSET VALUE: little-endian
  printf "$(printf '\\%03o\\%03o' $(($3 & 255)) $(($3 >> 8)))" |
    dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
pe=$(u32 "$exe" 60)          # the PE signature's offset
characteristics=$((pe + 22))  # in the file header
# In the optional header, PE32 and PE32+ alike:
subsystem_major=$((pe + 24 + 48))
dll_characteristics=$((pe + 24 + 70))

run_check() {  # run_check EXE BUDGET VERSION OUTPUT "$@"
  exe_=$1 budget=$2 version_=$3 output=$4
  shift 4
  "$cmake" -DEXE="$exe_" -DMACHINE="$machine" -DSUBSYSTEM_VERSION="$subsystem" \
    -DVERSION="$version_" -DMAX_SIZE="$budget" "$@" -P "$check" >"$output" 2>&1
}
run_check "$exe" "$max_size" "$version" "$scratch/intact.txt" "$@" ||
  fail "the intact program fails: $(cat "$scratch/intact.txt")"
size=$(sed -n 's/.* \([0-9]*\) bytes as shipped.*/\1/p' "$scratch/intact.txt")

# expect_refusal NAME OFFSET AND_MASK OR_MASK BUDGET VERSION TEXT [TOOL_ARG...]
# (OFFSET "-": the bytes stay, for a case told something else)
expect_refusal() {
  name=$1 offset=$2 and=$3 or=$4 budget=$5 version_=$6 text=$7
  shift 7
  copy=$scratch/$name.exe
  cp "$exe" "$copy"
  if [ "$offset" != - ]; then
    value=$(u16 "$copy" "$offset")
    put16 "$copy" "$offset" $(((value & and) | or))
  fi
  if run_check "$copy" "$budget" "$version_" "$scratch/$name.txt" "$@"; then
    fail "$name: the check passed"
  fi
  tr -s " \n" "  " <"$scratch/$name.txt" | grep -q "$text" ||
    fail "$name: no \"$text\" in: $(cat "$scratch/$name.txt")"
  echo "ok: $name refused"
}

expect_refusal no-aslr "$dll_characteristics" $((0xffff & ~0x0040)) 0 "$max_size" "$version" \
  "lacks DYNAMIC_BASE" "$@"
expect_refusal no-dep "$dll_characteristics" $((0xffff & ~0x0100)) 0 "$max_size" "$version" \
  "lacks NX_COMPAT" "$@"
if [ "$machine" != i686 ]; then
  expect_refusal low-entropy "$dll_characteristics" $((0xffff & ~0x0020)) 0 "$max_size" "$version" \
    "lacks HIGH_ENTROPY_VA" "$@"
fi
expect_refusal fixed "$characteristics" 0xffff 0x0001 "$max_size" "$version" "relocations stripped" "$@"
expect_refusal newer-system "$subsystem_major" 0 10 "$max_size" "$version" \
  "subsystem version 10\.[0-9]*, not $subsystem" "$@"
expect_refusal other-version - 0 0 "$max_size" 9.8.7.6 "not 9.8.7.6" "$@"
expect_refusal grown - 0 0 $((size - 1)) "$version" "is over $((size - 1))" "$@"
# The manifest's rights, same length, another word.
copy=$scratch/elevated.exe
LC_ALL=C sed 's/level="asInvoker"/level="asElevate"/' "$exe" >"$copy"
cmp -s "$exe" "$copy" && fail "no asInvoker in $exe to change"
if run_check "$copy" "$max_size" "$version" "$scratch/elevated.txt" "$@"; then
  fail "elevated: the check passed"
fi
grep -q "does not ask for asInvoker" "$scratch/elevated.txt" ||
  fail "elevated: $(cat "$scratch/elevated.txt")"
echo "ok: elevated refused"
