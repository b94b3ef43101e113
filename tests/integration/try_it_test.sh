#!/bin/sh
# Runs the README's first command ("Try it") in a scratch repository made
# of this checkout's tracked files, with the program already built in
# place of its first step (the release workflow, which writes only into
# build/release): it must print what the README shows, count on when the
# update is run again, and leave `git status` empty. Exits with 77 (a
# skipped test) without git or outside a git checkout.
#   try_it_test.sh PROGRAM SOURCE_DIR SCRATCH
set -eu
. "$(dirname "$0")/lib.sh"
program=$1 source=$2 scratch=$3
clean() {
  status=$(git -C "$scratch/repo" status --porcelain)
  [ -z "$status" ] || fail "the working tree is not clean afterwards: $status"
  echo "ok: the working tree is clean afterwards"
}
command -v git >/dev/null || { echo "skipped: git not found (apt-get install git)"; exit 77; }
git -C "$source" rev-parse --is-inside-work-tree >/dev/null 2>&1 ||
  { echo "skipped: $source is not a git checkout"; exit 77; }
rm -rf "$scratch" && mkdir -p "$scratch/repo"

# The indented blocks after the marker: the command, then what it prints.
awk -v out="$scratch/block" '$0 == "<!-- try it -->" { on = 1; next }
     on && /^    / { sub(/^    /, ""); print > (out (block + 0)); was = 1; next }
     on && was { block++; was = 0; if (block == 2) exit }' "$source/README.md"
for block in block0 block1; do
  [ -f "$scratch/$block" ] || fail "no first command and its output in the README"
done
mv "$scratch/block0" "$scratch/command"
mv "$scratch/block1" "$scratch/shown"
[ "$(wc -l <"$scratch/command")" = 1 ] || fail "the README's first command is not one line"
command=$(cat "$scratch/command")
first_step='cmake --workflow --preset release && '
case $command in
  "$first_step"*) rest=${command#"$first_step"} ;;
  *) fail "the README's first command does not begin with the release workflow: $command" ;;
esac

# A fresh repository holding the tracked files as they are in this checkout.
(cd "$source" && git ls-files -z | xargs -0 tar cf -) | tar xf - -C "$scratch/repo"
git -C "$scratch/repo" init -q
git -C "$scratch/repo" add -A
git -C "$scratch/repo" -c user.name=test -c user.email=test@example.invalid commit -qm checkout
mkdir -p "$scratch/repo/build/release"
cp "$program" "$scratch/repo/build/release/revtick"

(cd "$scratch/repo" && sh -c "$rest") >"$scratch/printed" || fail "the command failed: $rest"
tr -d '\r' <"$scratch/printed" | cmp -s - "$scratch/shown" ||
  fail "it printed '$(cat "$scratch/printed")', the README shows '$(cat "$scratch/shown")'"
echo "ok: the README's first command prints what the README shows"
clean

# Run again, the update counts on from there.
shown=$(sed -n 1p "$scratch/shown")
number=$(echo "$shown" | sed -n 's/.* set to \([0-9][0-9]*\) in .*/\1/p')
[ -n "$number" ] || fail "the README shows no report: $shown"
again=$(cd "$scratch/repo" && build/release/revtick -v build/release/version.h | tr -d '\r')
[ "$again" = "$(echo "$shown" | sed "s/ set to $number in / set to $((number + 1)) in /")" ] ||
  fail "run again, it printed '$again'"
echo "ok: run again, it counts on"

clean
