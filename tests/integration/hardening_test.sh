#!/bin/sh
# Checks that the built program carries the hardening it was built with:
# PIE, full RELRO with immediate binding, the stack protector, fortified C
# library calls (in an optimised build on glibc) and, on x86, control-flow
# protection (endbr at main, and the CET note when the start files allow it).
# Runs hardening-check from devscripts as well when it is installed, and
# explains where its verdict differs from what the program really holds.
#   hardening_test.sh PROGRAM FORTIFY CXX READELF OBJDUMP
#     FORTIFY: 1 when the program is compiled with _FORTIFY_SOURCE, else 0
#     CXX: the compiler that linked it, asked where its start files are
set -eu
. "$(dirname "$0")/lib.sh"
program=$1 fortify=$2 cxx=$3 readelf=$4 objdump=$5
# Every check runs, and each missing protection is named, before the verdict.
failed=0
ok() { echo "ok: $*"; }
bad() { echo "FAIL: $*" >&2; failed=1; }

headers=$("$readelf" -hlW "$program")
dynamic=$("$readelf" -dW "$program" 2>/dev/null || true)
notes=$("$readelf" -nW "$program")
machine=$(printf '%s\n' "$headers" | sed -n 's/^ *Machine: *//p')
code=$("$objdump" -d "$program")

# The program's own functions: main and ToolEntry, the C++ functions (_Z),
# and the platform layer's Win32-style calls (CreateFileA, ...). In a
# static program the C library's functions are there too, and must not count.
calls_from_own_code() { # PATTERN: functions of ours that call a symbol matching it
  printf '%s\n' "$code" | awk -v pattern="$1" '
    /^[0-9a-f]+ <.*>:$/ { name = $2; gsub(/[<>:]/, "", name); next }
    name ~ /^(main|ToolEntry|_Z.*|[A-Z][A-Za-z]+)$/ && $0 ~ "<(" pattern ")(@plt)?>" { print name }
  ' | sort -u
}

if printf '%s\n' "$headers" | grep -q 'Requesting program interpreter'; then
  linked=dynamic
  printf '%s\n' "$dynamic" | grep -q '(FLAGS_1).*PIE' && ok "position-independent executable" ||
    bad "not a position-independent executable"
  printf '%s\n' "$dynamic" | grep -Eq '\(FLAGS\).*BIND_NOW|\(FLAGS_1\).* NOW' &&
    ok "immediate binding (BIND_NOW)" || bad "no BIND_NOW: symbols are bound lazily"
else
  linked=static
  echo "static program: PIE and BIND_NOW are not checked (no dynamic loader binds anything)"
fi
printf '%s\n' "$headers" | grep -q 'GNU_RELRO' && ok "RELRO segment" || bad "no GNU_RELRO segment"

protected=$(calls_from_own_code '__stack_chk_fail(_local)?')
[ -n "$protected" ] && ok "stack protector in $(echo $protected | wc -w) functions of the tool" ||
  bad "no function of the tool calls __stack_chk_fail: not built with the stack protector"

# Fortified calls: __read_chk and the like where the compiler knows a
# buffer's size, __open_2 where it cannot see open's flags.
fortified=$(calls_from_own_code '__[a-z0-9_]+_chk|__open(64)?_2|__openat(64)?_2')
if [ "$fortify" = 1 ]; then
  [ -n "$fortified" ] && ok "fortified C library calls in: $(echo $fortified)" ||
    bad "built with _FORTIFY_SOURCE, but no function of the tool calls a fortified variant"
else
  echo "fortification not checked: this build does not define _FORTIFY_SOURCE"
fi

# Control-flow protection on x86: compiled with -fcf-protection, every
# function that may be called indirectly starts with endbr. The linker keeps
# the CET note only when every object linked in has it, start files included.
cet_note=no
case $machine in
  *X86-64* | *80386*)
    printf '%s\n' "$code" | awk '/^[0-9a-f]+ <main>:$/ { getline; found = /endbr/ } END { exit !found }' &&
      ok "main starts with endbr" || bad "main does not start with endbr: not built with -fcf-protection"
    if printf '%s\n' "$notes" | grep -q 'x86 feature: IBT, SHSTK'; then
      cet_note=yes
      ok "CET note (IBT, SHSTK)"
    else
      lacking=""
      starts="Scrt1.o crti.o crtn.o"
      [ "$linked" = dynamic ] || starts="crt1.o crti.o crtn.o"
      for file in $starts; do
        path=$("$cxx" -print-file-name=$file)
        [ -f "$path" ] || continue
        "$readelf" -nW "$path" | grep -q 'x86 feature: IBT, SHSTK' || lacking="$lacking $path"
      done
      if [ -n "$lacking" ]; then
        echo "no CET note: the C library's start files carry no IBT/SHSTK property:$lacking"
      elif [ "$linked" = static ]; then
        echo "no CET note: some object of the static C library carries no IBT/SHSTK property"
      else
        bad "no CET note, although the start files carry it"
      fi
    fi
    ;;
  *)
    cet_note=none
    echo "control-flow protection not checked: $machine has no CET"
    ;;
esac

# hardening-check's own verdict, where it is installed. It counts only
# __*_chk calls as fortified (not __open_2), and wants the CET note.
if command -v hardening-check >/dev/null && [ "$linked" = dynamic ]; then
  report=$(hardening-check "$program" || true)
  printf '%s\n' "$report"
  for line in "Position Independent Executable: yes" "Stack protected: yes" \
              "Read-only relocations: yes" "Immediate binding: yes"; do
    printf '%s\n' "$report" | grep -q "^ $line" || bad "hardening-check does not report '$line'"
  done
  if [ -n "$fortified" ] && ! printf '%s\n' "$report" | grep -q '^ Fortify Source functions: yes'; then
    echo "hardening-check finds no __*_chk call: the tool's read, write and memcpy go to buffers" \
      "whose size the compiler cannot see, so they stay unchecked; the fortified open (__open_2) is" \
      "there (above)"
  fi
  if [ $cet_note = no ] && [ $failed = 0 ] && printf '%s\n' "$report" | grep -q 'Control flow integrity: no'; then
    echo "hardening-check reports no control flow integrity: the CET note is missing (above)"
  fi
elif [ "$linked" = dynamic ]; then
  echo "hardening-check not run: it is not installed (apt-get install devscripts)"
fi
[ "$failed" = 0 ] || fail "the program lacks the hardening named above"
