#!/bin/sh
# A statically linked program: started without a dynamic loader, needing no
# shared library; with "musl", also free of glibc (no glibc version string
# in it), as the portable program must be.
#   static_test.sh PROGRAM [musl]
set -eu
program=$1 libc=${2:-}
. "$(dirname "$0")/lib.sh"

headers=$(readelf -lW "$program") || fail "$program is not an ELF program"
if printf '%s\n' "$headers" | grep -q 'INTERP'; then
  fail "asks for a dynamic loader: $(printf '%s\n' "$headers" | grep 'interpreter')"
fi
needed=$(readelf -dW "$program" | grep 'NEEDED' || true)
[ -z "$needed" ] || fail "needs shared libraries: $needed"
if [ "$libc" != musl ]; then
  echo "ok: static, no dynamic loader, no shared library in $program"
  exit 0
fi
if grep -a -q -e 'GLIBC_' -e 'GNU C Library' "$program"; then
  fail "holds glibc's version strings: $(grep -a -o -m 3 -e 'GLIBC_[A-Z0-9_.]*' -e 'GNU C Library[^)]*' "$program" | sort -u | paste -sd' ')"
fi
echo "ok: static, no dynamic loader, no shared library, no glibc in $program"
