#!/usr/bin/env bash
# Builds every artifact we ship twice from the commit checked out here, in
# two fresh clones whose paths differ in length, one after the other, the
# second under another time zone and locale, and compares them byte for
# byte. Prints one line per artifact with its SHA-256 from each folder;
# fails when any pair differs or an artifact is missing.
#   bash scripts/reproducible.sh [scratch folder, default build/reproducible]
# The commit is HEAD: changes not committed are not built. SOURCE_DATE_EPOCH
# is left as it is: unset, each build takes the commit's time. Needs git,
# and what the release, static, portable, windows and windows-clang-cl
# presets need (mingw-w64, musl-tools, clang-14, lld-14, llvm-14).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=${1:-$root/build/reproducible}
commit=$(git -C "$root" rev-parse HEAD)
git -C "$root" diff --quiet HEAD || echo "note: changes not committed are not part of $commit"

# The artifacts, as each build folder holds them.
artifacts=(
  build/release/revtick
  build/static/revtick
  build/portable/revtick
  build/windows/i686-w64-mingw32/revtick.exe
  build/windows/x86_64-w64-mingw32/revtick.exe
  "build/release/revtick_*.deb"
  build/windows/packages/revtick-*-win32.zip
  build/windows/packages/revtick-*-win64.zip
  "build/windows/packages/revtick.*.nupkg"
  build/windows-clang-cl/i686-pc-windows-msvc/revtick.exe
  build/windows-clang-cl/x86_64-pc-windows-msvc/revtick.exe
  build/windows-clang-cl/aarch64-pc-windows-msvc/revtick.exe
  build/windows-clang-cl/packages/revtick-*-win32-msvc.zip
  build/windows-clang-cl/packages/revtick-*-win64-msvc.zip
  build/windows-clang-cl/packages/revtick-*-arm64-msvc.zip
)

# The presets' own commands; the portable build without its tests, which
# do not change the program.
build_all() {
  cmake --workflow --preset release
  (cd build/release && cpack -G DEB)
  cmake --workflow --preset static
  cmake --preset portable -DREVTICK_BUILD_TESTS=OFF
  cmake --build --preset portable
  cmake --workflow --preset windows
  cmake --workflow --preset windows-clang-cl
}

build_in() {
  local dir=$1
  git clone --quiet --shared --no-checkout "$root" "$dir"
  git -C "$dir" checkout --quiet --detach "$commit"
  (cd "$dir" && build_all) >"$dir.log" 2>&1 || {
    tail -n 40 "$dir.log" >&2
    echo "FAIL: the build in $dir failed (log: $dir.log)" >&2
    exit 1
  }
}

rm -rf "$scratch"
mkdir -p "$scratch"
first=$scratch/a
second=$scratch/second-folder-with-a-much-longer-name
build_in "$first"
TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 build_in "$second"

differ=0
printf '%-58s %-64s %s\n' artifact "sha256 in $(basename "$first")" "sha256 in $(basename "$second")"
for pattern in "${artifacts[@]}"; do
  # shellcheck disable=SC2206 # the pattern names one file
  a=($first/$pattern) b=($second/$pattern)
  if [ ! -f "${a[0]}" ] || [ ! -f "${b[0]}" ]; then
    echo "FAIL: $pattern missing" >&2
    differ=1
    continue
  fi
  hash_a=$(sha256sum <"${a[0]}" | cut -d' ' -f1)
  hash_b=$(sha256sum <"${b[0]}" | cut -d' ' -f1)
  printf '%-58s %s %s\n' "${a[0]#"$first"/}" "$hash_a" "$hash_b"
  [ "$hash_a" = "$hash_b" ] || differ=1
done
if ((differ)); then
  echo "FAIL: the two builds differ (diffoscope <file> <file> shows where)" >&2
  exit 1
fi
echo "Every artifact is the same in both builds of $commit"
