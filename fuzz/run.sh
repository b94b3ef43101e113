#!/bin/sh
# Builds the libFuzzer targets (the `fuzz` preset) and fuzzes each of them
# for SECONDS (default 60), both at once. Working corpora, logs and any
# crashing inputs stay under build/fuzz/; the seed corpus in fuzz/corpus/
# is only read. Exits non-zero when a target found something.
set -eu

seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build/fuzz

cd "$root"
cmake --preset fuzz
cmake --build --preset fuzz

# Inputs long enough to pass the tool's own limits: a message allowance of
# 1021 characters, and the bytes of a header kept to put back on a failure.
max_len() {
  case $1 in
    command_line) echo 2048 ;;
    *) echo 1024 ;;
  esac
}

targets="command_line header_update"
for target in $targets; do
  mkdir -p "$out/corpus/$target" "$out/artifacts/$target" "$out/logs"
  cp -p "$root/fuzz/corpus/$target/"* "$out/corpus/$target/"
  echo "fuzzing $target for ${seconds}s (log: $out/logs/$target.log)"
  "$out/fuzz/fuzz_$target" "$out/corpus/$target" \
    -max_total_time="$seconds" -max_len="$(max_len "$target")" \
    -dict="$root/fuzz/$target.dict" -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/$target/" \
    >"$out/logs/$target.log" 2>&1 &
  eval "pid_$target=$!"
done

status=0
for target in $targets; do
  result=0
  eval "wait \$pid_$target" || result=$?
  log=$out/logs/$target.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  coverage=$(grep -E '^#[0-9]+' "$log" | tail -n 1 | grep -oE 'cov: [0-9]+ ft: [0-9]+' || true)
  findings=$(find "$out/artifacts/$target" -type f | wc -l)
  echo "$target: exit $result, ${runs:-?} executions, ${coverage:-no coverage line}," \
    "$findings finding(s) in $out/artifacts/$target/"
  [ "$result" -eq 0 ] && [ "$findings" -eq 0 ] || status=1
done
exit $status
