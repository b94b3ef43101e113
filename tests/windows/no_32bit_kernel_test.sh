#!/bin/sh
# The Wine session's setup on a kernel that refuses 32-bit programs, made
# from any kernel: strace fails every exec of a 32-bit loader (the folder's
# i386 Wine, its dynamic loader, and the system's own if it has them) with
# "Exec format error", as such a kernel does. In a copy of the suite's
# prefix without its 32-bit half, start must still set that half up and run
# a 32-bit program, and something must have tried such an exec (or the
# check proves nothing).
#
# The copy spares the check the making of the 64-bit half, which start did
# for the suite already and which needs nothing 32-bit: it took about 40 of
# the check's 100 seconds (and more on a loaded machine).
#   no_32bit_kernel_test.sh SESSION_SCRIPT SCRATCH SUITE_PREFIX WINE64 WINESERVER WINE32_ROOT
set -eu
. "$(dirname "$0")/../integration/lib.sh"
session=$1 scratch=$2 suite=$3
shift 3
wine64=$1 wineserver=$2
shift 2
strace=${STRACE:-strace}
if ! "$strace" -f -qq -o /dev/null true 2>/dev/null; then
  [ "${REVTICK_REQUIRE_STRACE:-}" != 1 ] || fail "strace required (REVTICK_REQUIRE_STRACE=1), but it cannot trace here"
  echo "skipped: strace cannot trace here (no ptrace)"
  exit 77
fi

rm -rf "$scratch"
mkdir -p "$scratch/prefix"
prefix=$scratch/prefix
[ -f "$suite/.revtick-wine" ] || fail "$suite is not the suite's prefix"
tar -C "$suite" -cf - --exclude=./drive_c/windows/syswow64 --exclude=./.revtick-32-bit-half . |
  tar -C "$prefix" -xf -
# What such a kernel cannot start: the 32-bit loaders and the i386 dynamic
# loader (what the kernel is asked for to start a 32-bit program).
root=$1
denied=""
for loader in "$root/usr/lib/wine/wine" "$root/lib/ld-linux.so.2" \
  "$root/lib/i386-linux-gnu/ld-linux.so.2" /usr/lib/wine/wine /usr/lib/wine/wineserver32 \
  /lib/ld-linux.so.2; do
  [ ! -e "$loader" ] || denied="$denied -P $loader"
done
# The server and the services that start leaves behind are traced too:
# stop ends them inside the trace, so that strace returns.
status=0
# shellcheck disable=SC2086
"$strace" -f --seccomp-bpf -qq -e signal=none -o "$scratch/execs.log" \
  -e trace=execve -e inject=execve:error=ENOEXEC $denied \
  sh -c 'sh "$0" "$1" "$2" "$3" start "$4" >"$5" 2>&1
         status=$?; sh "$0" "$1" "$2" "$3" stop; exit $status' \
  "$session" "$wine64" "$wineserver" "$prefix" "$root" "$scratch/start.txt" 2>"$scratch/strace.txt" ||
  status=$?
[ "$status" -eq 0 ] || fail "start failed without the kernel's 32-bit support: $(cat "$scratch/start.txt")"
[ -f "$prefix/drive_c/windows/syswow64/cmd.exe" ] || fail "the prefix has no 32-bit cmd.exe"
grep -q 'ENOEXEC.*(INJECTED)' "$scratch/execs.log" ||
  fail "no 32-bit exec was refused: the check did not stand in for such a kernel"
echo "ok: the 32-bit half set up with $(grep -c INJECTED "$scratch/execs.log") 32-bit exec(s) refused"
