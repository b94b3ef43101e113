#!/usr/bin/env bash
# Builds the tool and every test for Linux on other architectures with
# Debian's cross compilers, and runs the suites under qemu-user: the
# cross-<target> workflow presets, one after another, then a summary.
#   scripts/cross.sh [<target>]...   (every cross-<target> preset by default)
#   scripts/cross.sh --packages      the Debian packages those need, one a line
# The targets are the cross-* presets of CMakePresets.json alone: each
# names its toolchain file, which names the compiler's triple and the
# emulator.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t known < <(cmake --list-presets=workflow | sed -n 's/^  "cross-\(.*\)"$/\1/p')
((${#known[@]})) || { echo "no cross-* presets in CMakePresets.json" >&2; exit 2; }

# A variable a target's toolchain file sets: set(<name> <value>).
toolchain_setting() {
  local toolchain
  toolchain=$(cmake --preset "cross-$1" -N | sed -n 's/^ *CMAKE_TOOLCHAIN_FILE[^=]*="\(.*\)"$/\1/p')
  [[ -f $toolchain ]] || { echo "cross-$1: no toolchain file" >&2; exit 2; }
  sed -n "s/^set($2 \([^ )]*\))/\1/p" "$toolchain"
}

# The packages that bring each target's compiler and emulator.
packages() {
  local target
  for target in "$@"; do
    echo "g++-$(toolchain_setting "$target" REVTICK_LINUX_TRIPLE)"
  done
  echo qemu-user
}

if [[ ${1:-} == --packages ]]; then
  packages "${known[@]}"
  exit 0
fi
targets=("$@")
((${#targets[@]})) || targets=("${known[@]}")

missing=()
for target in "${targets[@]}"; do
  [[ " ${known[*]} " == *" $target "* ]] || { echo "unknown target $target (${known[*]})" >&2; exit 2; }
  triple=$(toolchain_setting "$target" REVTICK_LINUX_TRIPLE)
  command -v "$triple-g++" >/dev/null || missing+=("g++-$triple")
  command -v "$(toolchain_setting "$target" REVTICK_QEMU)" >/dev/null || missing+=(qemu-user)
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
