#!/bin/sh
# The header check must refuse a program that the loader could not move
# (ASLR), that lets its data run (DEP), whose 64-bit addresses come from the
# low 4 GB only, or that has grown: each case is the built program with one
# header field changed, and the check must fail naming what is wrong.
#   header_check_test.sh CMAKE CHECK_SCRIPT EXE OBJDUMP NM STRIP MACHINE SCRATCH
set -eu
. "$(dirname "$0")/../integration/lib.sh"
cmake=$1 check=$2 exe=$3 objdump=$4 nm=$5 strip=$6 machine=$7 scratch=$8
max_size=1048576  # the size is not what these cases are about
rm -rf "$scratch" && mkdir -p "$scratch"

u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
put16() {  # put16 FILE OFFSET VALUE: little-endian
  printf "$(printf '\\%03o\\%03o' $(($3 & 255)) $(($3 >> 8)))" |
    dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
pe=$(u32 "$exe" 60)          # the PE signature's offset
characteristics=$((pe + 22))  # in the file header
dll_characteristics=$((pe + 24 + 70))  # in the optional header, PE32 and PE32+ alike

# expect_refusal NAME OFFSET AND_MASK OR_MASK BUDGET TEXT
expect_refusal() {
  copy=$scratch/$1.exe
  cp "$exe" "$copy"
  value=$(u16 "$copy" "$2")
  put16 "$copy" "$2" $(((value & $3) | $4))
  if "$cmake" -DEXE="$copy" -DOBJDUMP="$objdump" -DNM="$nm" -DSTRIP="$strip" \
      -DMACHINE="$machine" -DMAX_SIZE="$5" -P "$check" >"$scratch/$1.txt" 2>&1; then
    fail "$1: the check passed"
  fi
  tr -s " \n" "  " <"$scratch/$1.txt" | grep -q "$6" || fail "$1: no \"$6\" in: $(cat "$scratch/$1.txt")"
  echo "ok: $1 refused"
}

expect_refusal no-aslr "$dll_characteristics" $((0xffff & ~0x0040)) 0 "$max_size" "lacks DYNAMIC_BASE"
expect_refusal no-dep "$dll_characteristics" $((0xffff & ~0x0100)) 0 "$max_size" "lacks NX_COMPAT"
if [ "$machine" = x86_64 ]; then
  expect_refusal low-entropy "$dll_characteristics" $((0xffff & ~0x0020)) 0 "$max_size" \
    "lacks HIGH_ENTROPY_VA"
fi
expect_refusal fixed "$characteristics" 0xffff 0x0001 "$max_size" "relocations stripped"
"$strip" -o "$scratch/stripped.exe" "$exe"
size=$(wc -c <"$scratch/stripped.exe")
expect_refusal grown "$characteristics" 0xffff 0 $((size - 1)) "is over $((size - 1))"
