#!/usr/bin/env bash
# clang-tidy (checks in .clang-tidy) and cppcheck (suppressions in
# .cppcheck-suppressions) over the tool's own sources. Needs a configured
# build folder for the compile commands; by default build/sanitize.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/sanitize}
[ -f "$build/compile_commands.json" ] || cmake --preset sanitize >/dev/null

mapfile -t sources < <(git ls-files 'runtime/*.cpp' 'tool/*.cpp' 'step/*.cpp' 'platform/*.cpp' 'platform/**/*.cpp')
echo "clang-tidy: ${#sources[@]} files"
clang-tidy --quiet -p "$build" "${sources[@]}" 2> >(grep -v "warnings generated" >&2)
echo "cppcheck: runtime tool step platform"
cppcheck --quiet --enable=all --std=c++20 --inline-suppr --error-exitcode=1 -I . \
  --suppressions-list=.cppcheck-suppressions runtime tool step platform
echo "lint: clean"
