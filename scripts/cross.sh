#!/usr/bin/env bash
# Builds the tool and every test for Linux on other architectures with
# Debian's cross compilers, and runs the suites under qemu-user: the
# cross-<target> workflow presets, one after another, then a summary.
#   scripts/cross.sh [aarch64|armhf|s390x|i686]...   (all four by default)
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A triples=([aarch64]=aarch64-linux-gnu [armhf]=arm-linux-gnueabihf
  [s390x]=s390x-linux-gnu [i686]=i686-linux-gnu)
declare -A emulators=([aarch64]=qemu-aarch64 [armhf]=qemu-arm [s390x]=qemu-s390x [i686]=qemu-i386)
targets=("$@")
((${#targets[@]})) || targets=(aarch64 armhf s390x i686)

missing=()
for target in "${targets[@]}"; do
  triple=${triples[$target]:-}
  [[ -n $triple ]] || { echo "unknown target $target (aarch64, armhf, s390x, i686)" >&2; exit 2; }
  command -v "$triple-g++" >/dev/null || missing+=("g++-$triple")
  command -v "${emulators[$target]}" >/dev/null || missing+=(qemu-user)
done
if ((${#missing[@]})); then
  echo "missing: apt-get install $(printf '%s\n' "${missing[@]}" | sort -u | tr '\n' ' ')" >&2
  exit 2
fi

summary=()
failed=0
for target in "${targets[@]}"; do
  started=$SECONDS
  if cmake --workflow --preset "cross-$target"; then
    result=passed
  else
    result=FAILED
    failed=1
  fi
  summary+=("cross-$target: $result in $((SECONDS - started)) s")
done
printf '== %s\n' "${summary[@]}"
exit "$failed"
