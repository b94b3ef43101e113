#!/usr/bin/env bash
# Measures what one header update costs: revtick against /bin/true and against
# what a build script would otherwise run for the same job (one-liners, and
# bumpversion with its own configuration), and the hardened program against
# one built without hardening.
#
#   bash bench/run.sh [RUNS]     (from the repository root; RUNS: hyperfine runs per command, 200)
#
# Needs valgrind, hyperfine, GNU time, perl, python3, mawk/gawk, bumpversion, jq or python3.
# Instruction counts (callgrind, whole process tree) are the figures to trust:
# they are the same from run to run. Wall times are medians and only indicative.
set -euo pipefail

runs=${1:-200}
root=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=bench/lib.sh
. "$root/bench/lib.sh"
# The programs measured: key|build folder|configure arguments (a preset,
# then any cache settings). Each is built in its folder (an up-to-date build
# is a no-op for ninja; the log is shown only when a build fails), then run
# from the scratch folder as <key>/revtick: the tool reads its own path back
# from the command line, at about 20 instructions a character, so the path
# is kept short and the same for every build, whatever the checkout's.
builds=(
  "rel|build/release|--preset release"
  "unh|build/unhardened|--preset release -DREVTICK_HARDEN=OFF"
  "sta|build/static|--preset static"
  "por|build/portable|--preset portable"
)
for entry in "${builds[@]}"; do
  IFS='|' read -r key dir arguments <<<"$entry"
  read -ra configure <<<"$arguments"
  if ! log=$(cd "$root" && cmake "${configure[@]}" -B "$dir" 2>&1 && cmake --build "$dir" --target revtick 2>&1); then
    printf '%s\n' "$log" >&2
    echo "build in $dir (cmake $arguments) failed" >&2
    exit 1
  fi
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for entry in "${builds[@]}"; do
  IFS='|' read -r key dir arguments <<<"$entry"
  mkdir "$tmp/$key" && cp "$root/$dir/revtick" "$tmp/$key/revtick"
done
cd "$tmp"
release=rel/revtick
printf '#define BUILD 41\r\n' >ver.orig
printf '#define BUILD 42\r\n' >ver.want

# The pyenv shim in PATH is a bash script that starts further programs; time
# the interpreter a build would end up in, not the shim.
python=$(python3 -c 'import sys; print(sys.executable)')

# The alternatives, each raising the number and keeping CR LF. Scripts that
# would need nested quoting live in small files, as they would in a project.
cat >bump.py <<'EOF'
import re
with open("ver.h", "rb") as f:
    text = f.read()
text = re.sub(rb"^(#define\s+\S+\s+)(\d+)", lambda m: m[1] + b"%d" % (int(m[2]) + 1), text)
with open("ver.h", "wb") as f:
    f.write(text)
EOF
cat >bump.cmake <<'EOF'
file(READ ver.h text)
string(REGEX MATCH "^(#define[ \t]+[^ \t]+[ \t]+)([0-9]+)" line "${text}")
math(EXPR next "${CMAKE_MATCH_2} + 1")
file(WRITE ver.h "${CMAKE_MATCH_1}${next}\r\n")
EOF
# awk reads "41\r" as 41; the CR stays on the line because only LF splits records.
cat >bump.awk <<'EOF'
$1 == "#define" { n = $3 + 1; sub(/[0-9]+\r$/, n "\r") } 1
EOF
# bumpversion keeps the number in its own configuration file and writes the
# new one back there, so the file is restored with the header before every
# run. The search text holds the macro's name, so that only that line
# changes; the CR LF after the number is left as it is. It needs no VCS: it
# asks git whether the folder is a repository (it is not, and that git run
# is counted), and commits and tags nothing.
cat >bumpversion.orig <<'EOF'
[bumpversion]
current_version = 41
parse = (?P<build>\d+)
serialize = {build}
commit = False
tag = False

[bumpversion:file:ver.h]
search = #define BUILD {current_version}
replace = #define BUILD {new_version}
EOF
restore="sh -c 'cp ver.orig ver.h && cp bumpversion.orig .bumpversion.cfg'"

# name|command, split into words the same way by bash (eval) and hyperfine -N.
# /bin/true gets no argument: given one, coreutils' true sets up the locale
# and costs over twice as much, which would flatter everything else.
# A new build of revtick goes in programs (and in builds above); every
# alternative is held to the 10 × target below.
programs=(
  "revtick (release)|rel/revtick ver.h"
  "revtick (release, unhardened)|unh/revtick ver.h"
  "revtick (static)|sta/revtick ver.h"
  "revtick (portable)|por/revtick ver.h"
)
alternatives=(
  "perl -i -pe|perl -i -pe 's/^(#define\\s+\\S+\\s+)(\\d+)/\$1.(\$2+1)/e' ver.h"
  "python3 script|$python bump.py"
  "cmake -P script|cmake -P bump.cmake"
  "sh -c awk + mv|sh -c 'awk -f bump.awk ver.h >ver.tmp && mv ver.tmp ver.h'"
  "bumpversion|bumpversion build"
)
commands=("/bin/true|/bin/true" "${programs[@]}" "${alternatives[@]}")

# Instructions of every process the command starts (a shell's children too),
# summed from callgrind's "Collected" line of each process. A child that
# forks and then fails to exec (bumpversion looking for hg) would report its
# parent's count up to the fork a second time, so forked children are
# counted only from their exec on (--child-silent-after-fork).
declare -A instr parts
count() { # name command
  rm -f vg.*
  eval "$restore"
  if ! eval "valgrind --tool=callgrind --trace-children=yes --child-silent-after-fork=yes --log-file=vg.%p \
      --callgrind-out-file=/dev/null $2"; then
    echo "FAILED: '$1' exited non-zero under callgrind" >&2
    exit 1
  fi
  instr[$1]=$(cat vg.* | awk '/Collected :/ { n += $NF } END { print n + 0 }')
  # Per process, for commands that start more than one.
  parts[$1]=$(cat vg.* | awk '/Command:/ { sub(/.*\//, "", $3); c = $3 }
    /Collected :/ { s = s (s ? " + " : "") c " " $NF; k++ } END { if (k > 1) print s }')
}
for entry in "${commands[@]}"; do
  name=${entry%%|*}
  count "$name" "${entry#*|}"
  # Every updater must leave exactly the 18 bytes revtick writes.
  if [[ $name != /bin/true ]] && ! cmp -s ver.h ver.want; then
    printf 'FAILED: "%s" left:\n%s\ninstead of "#define BUILD 42\\r\\n"\n' "$name" "$(od -c ver.h)" >&2
    exit 1
  fi
done

# Wall time: all commands in one hyperfine session, header restored before each
# run (outside the timing), no intermediate shell (-N).
hf_args=()
for entry in "${commands[@]}"; do hf_args+=(--command-name "${entry%%|*}" "${entry#*|}"); done
hyperfine -N --style none --warmup 5 --runs "$runs" --prepare "$restore" \
  --export-json times.json "${hf_args[@]}" >/dev/null 2>hyperfine.err ||
  { cat hyperfine.err >&2; exit 1; }
read_medians times.json

# Big-header case. Only the first 255 bytes are checked and they must end in
# CR LF, so the line is padded with blanks to 255 bytes (a valid header);
# the rest of the 1 GiB is a hole. Every run rewrites and truncates the
# file, so each one gets a fresh copy.
make_padded() { # file size
  { printf '#define BUILD 41%237s\r\n' ''; } >"$1"
  truncate -s "$2" "$1"
}
big_count() { # file size
  make_padded "$1" "$2"
  rm -f vg.*
  valgrind --tool=callgrind --log-file=vg.%p --callgrind-out-file=/dev/null "$release" "$1"
  cmp -s "$1" ver.want || { echo "FAILED: $2-byte header not updated" >&2; exit 1; }
  awk '/Collected :/ { n += $NF } END { print n + 0 }' vg.*
}
padded_instr=$(big_count pad.h 255)
big_instr=$(big_count big.h 1G)

# Peak memory and sizes of the release program.
rss() { /usr/bin/time -f %M -o rss.txt "$@" >/dev/null && cat rss.txt; }
cp ver.orig ver.h
rss_small=$(rss "$release" ver.h)
make_padded big.h 1G
rss_big=$(rss "$release" big.h)
strip -o rel.stripped rel/revtick
strip -o unh.stripped unh/revtick
strip -o sta.stripped sta/revtick
strip -o por.stripped por/revtick

# --- Report -------------------------------------------------------------
true_i=${instr[/bin/true]}
true_t=${median[/bin/true]}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
echo "| command | instructions | × /bin/true | median wall time | median wall time ratio to /bin/true |"
echo "|---|---:|---:|---:|---:|"
for entry in "${commands[@]}"; do
  name=${entry%%|*}
  printf '| %s | %s | %s | %s ms | %s |\n' "$name" "${instr[$name]}" \
    "$(ratio "${instr[$name]}" "$true_i")" \
    "$(awk -v t="${median[$name]}" 'BEGIN { printf "%.3f", t * 1000 }')" \
    "$(ratio "${median[$name]}" "$true_t")"
done
echo
for entry in "${commands[@]}"; do
  name=${entry%%|*}
  [[ -z ${parts[$name]} ]] || echo "- $name, per process: ${parts[$name]}"
done
echo "- wall times: median of $runs runs each (hyperfine -N); python3 is $python"
echo "- revtick (release): peak RSS ${rss_small} KiB (${rss_big} KiB on the 1 GiB header)," \
  "stripped $(stat -c %s rel.stripped) bytes, needs: $(ldd "$release" | awk '{ print $1 }' | paste -sd' ')"
echo "- revtick (static): stripped $(stat -c %s sta.stripped) bytes"
echo "- revtick (portable): stripped $(stat -c %s por.stripped) bytes, $(file -b por/revtick | cut -d, -f1-2)"
unh=${instr[revtick (release, unhardened)]}
echo "- hardening costs $((${instr[revtick (release)]} - unh)) instructions per update" \
  "($(ratio "${instr[revtick (release)]}" "$unh")× the unhardened program's $unh)" \
  "and $(($(stat -c %s rel.stripped) - $(stat -c %s unh.stripped))) bytes stripped" \
  "($(stat -c %s unh.stripped) unhardened)"
echo "- 1 GiB header (255-byte first line): ${big_instr} instructions; same line, 255-byte file:" \
  "${padded_instr}; 18-byte header: ${instr[revtick (release)]};" \
  "1 GiB / 18 B = $(ratio "$big_instr" "${instr[revtick (release)]}")"
echo

# Targets. A benchmark reports; it does not fail the caller.
verdict() { # pass? text [shortfall]
  if (($1)); then echo "PASS $2"; else echo "MISS $2, $3"; fi
}
rel=${instr[revtick (release)]}
sta=${instr[revtick (static)]}
limit=$((true_i * 11 / 10))
verdict "rel <= limit" "revtick (release) ≤ 1.1 × /bin/true: $rel vs limit $limit ($(ratio "$rel" "$true_i")×)" \
  "over by $((rel - limit))"
por=${instr[revtick (portable)]}
por_size=$(stat -c %s por.stripped)
verdict "por <= 10000" "revtick (portable) ≤ 10,000 instructions: $por" "over by $((por - 10000))"
verdict "por_size <= 65536" "revtick (portable) ≤ 64 KiB stripped: $por_size bytes" \
  "over by $((por_size - 65536))"
verdict "sta < true_i" "revtick (static) < /bin/true: $sta vs $true_i ($(ratio "$sta" "$true_i")×)" \
  "over by $((sta - true_i + 1))"
for entry in "${alternatives[@]}"; do
  name=${entry%%|*}
  alt=${instr[$name]}
  verdict "alt >= rel * 10" "revtick (release) ≥ 10× fewer instructions than $name: $(ratio "$alt" "$rel")× fewer" \
    "revtick (release) would have to drop to $((alt / 10)) ($((alt / 10 - rel)))"
done
