#!/usr/bin/env bash
# Measures what the build-number step costs each build under Ninja, on the
# example consumer with 19 more sources, of which only main.cpp includes
# version.h:
# - the step's own wall time: the step target built alone, against a build
#   with nothing to do of the same consumer without the step;
# - whole builds back to back, and the sources each compiles, with the
#   COUNTER form and with the in-place form.
#
#   bash bench/builds.sh [RUNS]     (from the repository root; RUNS: hyperfine runs per command, 30)
#
# Needs hyperfine, and jq or python3. Builds the release preset, and takes
# revtick_build_number from its install in a scratch prefix. Wall times are
# medians and only indicative; the compile counts are exact.
set -euo pipefail

runs=${1:-30}
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/lib.sh
. "$root/bench/lib.sh"
if ! log=$(cd "$root" && cmake --preset release 2>&1 && cmake --build build/release 2>&1); then
  printf '%s\n' "$log" >&2
  echo "build in build/release failed" >&2
  exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cmake --install "$root/build/release" --prefix "$tmp/prefix" >/dev/null
cd "$tmp"

# The compiler runs through a launcher that notes each source it compiles.
export COMPILE_LOG=$tmp/compiles
cat >note <<'EOF'
#!/bin/sh
for argument; do
  case $argument in *.cpp) echo "$argument" >>"$COMPILE_LOG" ;; esac
done
exec "$@"
EOF
chmod +x note

# The consumer three ways: without the step, with the COUNTER form, and with
# the in-place form (version.h itself is the counter). Each is built once.
parts=$(seq -f 'part%02g.cpp' 1 19 | tr '\n' ' ')
for form in none counter in-place; do
  cp -R "$root/examples/consumer" "$form"
  for part in $parts; do echo "int ${part%.cpp}() { return 0; }" >"$form/$part"; done
  echo "target_sources(consumer PRIVATE $parts)" >>"$form/CMakeLists.txt"
  case $form in
    none) sed -i '/^revtick_build_number/d' "$form/CMakeLists.txt" ;;
    in-place)
      sed -i 's/COUNTER build_number HEADER/HEADER/' "$form/CMakeLists.txt"
      mv "$form/build_number" "$form/version.h" ;;
  esac
  [ "$form" != none ] || printf '#define BUILD_NUMBER 0\r\n' >"$form/version.h"
  if ! cmake -S "$form" -B "$form/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_PREFIX_PATH="$tmp/prefix" \
    -DCMAKE_CXX_COMPILER_LAUNCHER="$tmp/note" >"$form.log" 2>&1 || ! ninja -C "$form/build" >>"$form.log" 2>&1; then
    cat "$form.log" >&2
    exit 1
  fi
done
step=$(ninja -C counter/build -t targets all | sed -n 's/^\(revtick_[a-z0-9_]*_[0-9a-f]\{8\}\): phony$/\1/p')
[[ -n $step ]] || { echo "no step target in counter/build" >&2; exit 1; }

# Sources compiled per build, over 5 builds back to back.
compiles() { # form
  : >"$COMPILE_LOG"
  for _ in 1 2 3 4 5; do ninja -C "$1/build" >/dev/null; done
  awk 'END { printf "%.1f", NR / 5 }' "$COMPILE_LOG"
}
declare -A per_build
per_build[counter]=$(compiles counter)
per_build[in-place]=$(compiles in-place)

commands=(
  "a build with nothing to do, no step|ninja -C none/build"
  "the step alone (cmake -P, revtick)|ninja -C counter/build $step"
  "a build, COUNTER form|ninja -C counter/build"
  "a build, in-place form|ninja -C in-place/build"
)
hf_args=()
for entry in "${commands[@]}"; do hf_args+=(--command-name "${entry%%|*}" "${entry#*|}"); done
hyperfine -N --style none --warmup 3 --runs "$runs" --export-json times.json "${hf_args[@]}" \
  >/dev/null 2>hyperfine.err || { cat hyperfine.err >&2; exit 1; }
read_medians times.json

ms() { awk -v t="$1" 'BEGIN { printf "%.1f", t * 1000 }'; }
echo "| per build, Ninja, 20 sources | median wall time | sources compiled |"
echo "|---|---:|---:|"
for entry in "${commands[@]}"; do
  name=${entry%%|*}
  case $name in
    *COUNTER*) count=${per_build[counter]} ;;
    *in-place*) count=${per_build[in-place]} ;;
    *) count=0 ;;
  esac
  printf '| %s | %s ms | %s |\n' "$name" "$(ms "${median[$name]}")" "$count"
done
none=${median[a build with nothing to do, no step]}
alone=${median[the step alone (cmake -P, revtick)]}
echo
echo "- the step costs $(ms "$(awk -v a="$alone" -v b="$none" 'BEGIN { print a - b }')") ms a build" \
  "over a build with nothing to do; median of $runs runs each (hyperfine -N)"
