#!/bin/sh
# Makes the ZIP of a Windows program from its build folder, unpacks it and
# checks what a Windows user finds in it: the program, the MSBuild step
# beside it, the CMake package,
# and the licence and a short README, both with CR LF, in name order.
#   zip_test.sh BUILD_DIR SCRATCH SOURCE_DIR
set -eu
. "$(dirname "$0")/lib.sh"
build=$1 scratch=$2 source=$3
rm -rf "$scratch" && mkdir -p "$scratch"

"${CPACK:-cpack}" -G ZIP --config "$build/CPackConfig.cmake" -B "$scratch" >/dev/null
set -- "$scratch"/revtick-*.zip
[ $# = 1 ] && [ -f "$1" ] || fail "no ZIP made"
(cd "$scratch" && "${CMAKE:-cmake}" -E tar xf "$1")
# Packed again in name order, whatever order the file system listed.
"${CMAKE:-cmake}" -E tar tf "$1" | LC_ALL=C sort -c || fail "$(basename "$1") is not in name order"
top=$scratch/$(basename "$1" .zip)
for file in bin/revtick.exe bin/revtick-step.exe bin/revtick.props bin/revtick.targets lib/cmake/revtick/revtickConfig.cmake \
  LICENSE.txt README.txt; do
  [ -f "$top/$file" ] || fail "$(basename "$1") holds no $file"
done

# Every line ends in CR LF, and without the CRs the texts are the sources'.
crlf() { # FILE: fails unless every line ends in CR LF
  ! tr -d '\r' <"$1" | cmp -s - "$1" && [ "$(grep -c "$(printf '\r')\$" "$1")" = "$(wc -l <"$1")" ] ||
    fail "$(basename "$1") does not end every line in CR LF"
}
crlf "$top/LICENSE.txt"
crlf "$top/README.txt"
tr -d '\r' <"$top/LICENSE.txt" | cmp -s - "$source/LICENSE" || fail "LICENSE.txt is not LICENSE"
version=$(sed -n 's/^project(revtick VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
head -n 1 "$top/README.txt" | grep -q "^revtick $version" || fail "README.txt does not name version $version"
grep -q 'LICENSE.txt' "$top/README.txt" || fail "README.txt does not point at the licence"
echo "ok: $(basename "$1"): program, MSBuild step, CMake package, LICENSE.txt and README.txt with CR LF"
