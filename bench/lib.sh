# Helpers the benchmarks share; sourced, not run.

# read_medians JSON: fills median[command name] with the median time, in
# seconds, of each command of a hyperfine --export-json file.
declare -A median
read_medians() {
  local name value
  while IFS=$'\t' read -r name value; do median[$name]=$value; done < <(
    if command -v jq >/dev/null; then
      jq -r '.results[] | "\(.command)\t\(.median)"' "$1"
    else
      python3 -c 'import json, sys
for r in json.load(open(sys.argv[1]))["results"]: print(r["command"], r["median"], sep="\t")' "$1"
    fi)
}
