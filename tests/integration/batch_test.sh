#!/bin/sh
# Runs the example batch file (examples/consumer/build.bat) under Wine's
# cmd with the Windows program beside it: it must raise the counter and
# write generated\version.h with the counter's text and a time newer than
# the counter's (stamped two seconds back); wait while another opener holds
# the counter, then raise it once; and on a bad counter stop with the tool's
# exit code, leaving the generated header as it was.
#   batch_test.sh WINE64 PREFIX EXE SOURCE_DIR SCRATCH HOLDER
set -eu
. "$(dirname "$0")/lib.sh"
wine64=$1 exe=$3 source=$4 scratch=$5 holder=$6
export WINEPREFIX="$2" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$scratch" && mkdir -p "$scratch"
cp "$source/examples/consumer/build.bat" "$exe" "$holder" "$scratch/"

run() {  # run EXPECTED_STATUS: the batch file from its own folder
  status=0
  (cd "$scratch" && "$wine64" cmd /c build.bat </dev/null >out.txt 2>err.txt) || status=$?
  [ "$status" = "$1" ] || fail "exit code $status, not $1: $(cat "$scratch/out.txt" "$scratch/err.txt")"
}

printf '#define BUILD_NUMBER 41\r\n' >"$scratch/build_number"
run 0
[ "$(cat "$scratch/build_number")" = "$(printf '#define BUILD_NUMBER 42\r')" ] || fail "not raised"
grep -q 'Macro "BUILD_NUMBER" set to 42' "$scratch/out.txt" || fail "no report"
header=$scratch/generated/version.h
cmp -s "$header" "$scratch/build_number" || fail "the generated header is not the counter's copy"
[ "$(stat -c %Y "$header")" -gt "$(stat -c %Y "$scratch/build_number")" ] ||
  fail "the generated header has the counter's time, not a fresh one"
echo "ok: the batch file raises the counter and writes a fresh generated header"

# Another build holds the counter for about two seconds: the batch file
# waits, then raises it once and writes that number.
(cd "$scratch" && "$wine64" hold_file.exe build_number held </dev/null >/dev/null) &
while [ ! -e "$scratch/held" ]; do sleep 0.1; done
(sleep 2 && rm "$scratch/held") &
run 0
wait
[ "$(cat "$scratch/build_number")" = "$(printf '#define BUILD_NUMBER 43\r')" ] || fail "not raised once after the wait"
cmp -s "$header" "$scratch/build_number" || fail "the generated header is not the raised number after the wait"
echo "ok: the batch file waits for a counter another build holds"

printf '#define BUILD_NUMBER x\r\n' >"$scratch/build_number"
run 4
grep -q 'Invalid number: "x"' "$scratch/err.txt" || fail "no message from the tool"
grep -q 'Build number not updated (exit code 4)' "$scratch/err.txt" || fail "no message from the batch file"
[ "$(cat "$header")" = "$(printf '#define BUILD_NUMBER 43\r')" ] || fail "a failed update changed the generated header"
echo "ok: the batch file stops with the tool's exit code"
