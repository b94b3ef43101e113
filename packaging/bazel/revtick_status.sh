#!/bin/sh
# revtick's build-number step for Bazel: the workspace status command, which
# Bazel runs in the workspace before every build. Name it in .bazelrc:
#
#   build --workspace_status_command="sh tools/revtick/revtick_status.sh build_number"
#
# It runs revtick-step on the counter (relative to the workspace), in the
# counter's folder with its name alone as the CMake step does: it raises the
# counter, waiting while another build holds it, or takes the CI's number,
# and writes the header into a folder of its own. Each #define of that
# header becomes a stable status key, STABLE_BUILD_NUMBER 42 (and
# STABLE_BUILD_NUMBERNext 43 with -n), and STABLE_REVTICK_STEP names the
# revtick-step that ran, for revtick_header (revtick.bzl) to run it again.
# A refused counter or number fails the build with revtick-step's message.
#
#   REVTICK_STEP           revtick-step: the one installed with this file,
#                          else the one on PATH
#   REVTICK_FLAGS          -v, -n, -t, as revtick-step takes them
#   REVTICK_RAISE          0 (or off, no, false) reads the counter and never
#                          raises it
#   REVTICK_NUMBER_FROM    the variable that holds the CI's number, in place
#                          of REVTICK_BUILD_NUMBER
#   REVTICK_NUMBER_OFFSET  a number added to the CI's
#
# Bazel hands the command the environment `bazel build` runs in.
set -eu
counter=${1:?usage: revtick_status.sh COUNTER}
step=${REVTICK_STEP:-}
if [ -z "$step" ]; then
  step=$(dirname "$0")/../../../bin/revtick-step
  [ -x "$step" ] || step=revtick-step
fi
# By its full path: the header's action runs in another folder.
case $step in
  */*) step=$(cd "$(dirname "$step")" && pwd)/${step##*/} ;;
  *) step=$(command -v "$step") || {
       echo "$counter: error: revtick-step not found: put it on PATH or name it in REVTICK_STEP" >&2
       exit 1
     } ;;
esac

options=${REVTICK_FLAGS:-}
case ${REVTICK_RAISE:-1} in 0 | [Oo][Ff][Ff] | [Nn][Oo] | [Ff][Aa][Ll][Ss][Ee]) options="-c $options" ;; esac
[ -z "${REVTICK_NUMBER_FROM:-}" ] || options="$options -e $REVTICK_NUMBER_FROM"
[ -z "${REVTICK_NUMBER_OFFSET:-}" ] || options="$options -o $REVTICK_NUMBER_OFFSET"

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$(dirname "$counter")"
# Standard output is Bazel's: -v's report goes with the errors.
set -f
# shellcheck disable=SC2086 # the options, one word each
"$step" $options "${counter##*/}" "$folder/version.h" >&2
sed -n 's/^#define \([A-Za-z_][A-Za-z0-9_]*\) \([0-9]*\)\r$/STABLE_\1 \2/p' "$folder/version.h"
echo "STABLE_REVTICK_STEP $step"
