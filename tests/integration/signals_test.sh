#!/bin/sh
# A signal delivered at each system call of a run, one run per call, with
# strace's fault injection. Whatever the moment, the header must hold
# exactly its old bytes or exactly its new ones. The four signals that stop
# a run from outside are held for the run, so besides: the new bytes come
# with their time (two seconds back, or the old time with -t), and the
# process still ends by the signal (strace ends with it too), unless it
# came as the process was already ending. They are tried on a header whose
# rewrite is shorter than its old text, the one case where a signal between
# the write and the cut would leave a torn header. SIGKILL cannot be held:
# it is tried on headers in the tool's own format, whose rewrite is never
# shorter, for bytes alone.
#   signals_test.sh PROGRAM SCRATCH
# Skipped (exit 77), with the reason, where strace is missing or cannot
# trace; REVTICK_REQUIRE_STRACE=1 (CI) makes that a failure.
. "$(dirname "$0")/lib.sh"
program=$1
scratch=$2

unavailable() {
  [ "${REVTICK_REQUIRE_STRACE:-}" != 1 ] || fail "strace required (REVTICK_REQUIRE_STRACE=1), but $1"
  echo "skipped: $1"
  exit 77
}
command -v strace >/dev/null || unavailable "strace not found (apt-get install strace)"
strace -f -qq -o /dev/null true 2>/dev/null || unavailable "strace cannot trace here (no ptrace)"

rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch" || fail "no scratch folder"
ulimit -c 0 # SIGQUIT would dump core

# Puts the header back as it was before the run, time included.
# shellcheck disable=SC2059 # the table gives printf formats
reset_header() {
  printf "$1" >ver.h
  touch -d @1000000000 ver.h
}

# The system calls of one run, as "name count" lines.
system_calls() {
  strace -f -qq -o calls "$program" "$@" ver.h >/dev/null 2>&1 || fail "the run under strace failed"
  sed -n 's/^[0-9]* *\([a-z_0-9]*\)(.*/\1/p' calls | sort | uniq -c | awk '{ print $2, $1 }'
}

same_time() { [ "$(stat -c %y ver.h)" = "$old_time" ]; }
broke() {
  echo "$at: $1"
  failures=$((failures + 1))
}

failures=0
while IFS='|' read -r signal expected options before after; do
  signal=${signal%% *} expected=${expected%% *}
  [ "$signal" != signal ] || continue
  # shellcheck disable=SC2059
  printf "$before" >old
  # shellcheck disable=SC2059
  printf "$after" >new
  reset_header "$before"
  old_time=$(stat -c %y ver.h)
  runs=0 torn=0
  # shellcheck disable=SC2086 # options are words
  system_calls $options >calls.list
  while read -r name count; do
    when=1
    while [ "$when" -le "$count" ]; do
      reset_header "$before"
      started=$(date +%s)
      # shellcheck disable=SC2086
      strace -f -qq -o /dev/null -e inject="$name:signal=$signal:when=$when" \
        "$program" $options ver.h </dev/null >out 2>&1
      status=$?
      at="$signal at $name #$when ($options)"
      runs=$((runs + 1))
      if cmp -s ver.h old; then
        same_time || broke "old bytes, but the time moved"
      elif ! cmp -s ver.h new; then
        torn=$((torn + 1))
        printf '%s: torn header:%s\n' "$at" "$(od -An -c ver.h | tr -s ' \n' ' ')"
      elif [ "$signal" = SIGKILL ]; then
        : # killed between the write and the stamp, it keeps the write's time
      elif [ -z "${options##*-t*}" ]; then
        same_time || broke "new bytes with -t, but the time moved"
      else
        stamp=$(stat -c %Y ver.h)
        if [ "$stamp" -ge "$started" ] || [ "$stamp" -lt $((started - 4)) ]; then
          broke "new bytes stamped $stamp, not two seconds before the run at $started"
        fi
      fi
      # A signal that comes as the process ends finds nothing left to stop;
      # one sent at the exec that starts it is lost under strace.
      case $name in exit_group | execve) [ "$status" = 0 ] && status=$expected ;; esac
      [ "$status" = "$expected" ] ||
        broke "exit status $status, not $expected (ended by the signal): $(cat out)"
      when=$((when + 1))
    done
  done <calls.list
  echo "$signal ($options): $runs runs, $torn torn"
  failures=$((failures + torn))
done <<'EOF'
signal |exit status|options|header before|header after (printf formats)
SIGINT |130|     |#define BUILD 007  \r\n|#define BUILD 8\r\n
SIGTERM|143|-t   |#define BUILD 007  \r\n|#define BUILD 8\r\n
SIGHUP |129|-v   |#define BUILD 007  \r\n|#define BUILD 8\r\n
SIGQUIT|131|-t -v|#define BUILD 007  \r\n|#define BUILD 8\r\n
SIGKILL|137|     |#define BUILD 9\r\n|#define BUILD 10\r\n
SIGKILL|137|-n -t|#define BUILD 41\r\n#define BUILDNext 42\r\n|#define BUILD 42\r\n#define BUILDNext 43\r\n
EOF
[ "$failures" = 0 ] || fail "$failures interrupted runs broke the header, its time or the exit status"
