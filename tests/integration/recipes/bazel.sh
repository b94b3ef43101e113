# The Bazel example (examples/bazel), its rules and its status command,
# against the installed revtick-step. One workspace, the scratch folder,
# holds every case as a package of its own, so that one Bazel server builds
# them all; each build names its case's counter in the status command, as
# the example's .bazelrc names build_number. Offline, Bazel 4 cannot fetch
# rules_cc and rules_java, which its own tools load: two stand-ins here
# define the rules they load as Bazel's native ones. The compiler Bazel
# configures for itself is the note around gcc.
recipe_init() {
  bazel=${BAZEL:-bazel}
  command -v "$bazel" >/dev/null || recipe_skip "bazel not found (apt-get install bazel-bootstrap)"
  # The rules as installed, which find revtick-step beside them; or the
  # source's, where the package carries none, told where it is.
  rules=$prefix/share/revtick/bazel step=""
  [ -d "$rules" ] || rules=$source/packaging/bazel step=$prefix/bin/revtick-step
  root=$scratch/bazel-root
  mkdir -p "$root/stand-ins"
  for kind in cc java; do
    stand_in=$root/stand-ins/rules_$kind
    mkdir -p "$stand_in/$kind"
    : >"$stand_in/WORKSPACE"
    : >"$stand_in/$kind/BUILD"
    for rule in binary library test import toolchain proto_library toolchain_suite runtime plugin; do
      printf 'def %s_%s(**kwargs):\n    native.%s_%s(**kwargs)\n\n' "$kind" "$rule" "$kind" "$rule"
    done >"$stand_in/$kind/defs.bzl"
  done
  printf '#!/bin/sh\nCOMPILE_LOG="%s" exec "%s" "%s" "$@"\n' "$COMPILE_LOG" "$note" \
    "$(command -v gcc)" >"$root/cc"
  chmod +x "$root/cc"
  sed "s|/usr/share/revtick/bazel|$rules|" "$source/examples/bazel/WORKSPACE" >"$scratch/WORKSPACE"
  printf 'bazel-root\nprefix\n' >"$scratch/.bazelignore"
  # One server for the whole run; it ends with the test, or once idle.
  startup="--output_user_root=$root --max_idle_secs=300"
  trap 'bazel_run shutdown >/dev/null 2>&1 || :' EXIT
  options="--noshow_progress --color=no --curses=no --nosandbox_debug
    --override_repository=rules_cc=$root/stand-ins/rules_cc
    --override_repository=rules_java=$root/stand-ins/rules_java
    --repo_env=CC=$root/cc --sandbox_writable_path=$scratch"
  # Whether Bazel builds C++ here at all.
  mkdir -p "$scratch/trial"
  printf 'int main() { return 0; }\n' >"$scratch/trial/trial.cc"
  printf 'cc_binary(name = "trial", srcs = ["trial.cc"])\n' >"$scratch/trial/BUILD"
  if ! bazel_run build //trial >"$scratch/trial.log" 2>&1; then
    why=$(grep -m 1 '^ERROR' "$scratch/trial.log" || tail -n 1 "$scratch/trial.log")
    recipe_skip "bazel builds no C++ program here (all of it in $scratch/trial.log): $why"
  fi
}
recipe_skip() {
  [ "${REVTICK_REQUIRE_BAZEL:-0}" != 1 ] || fail "$1"
  echo "skipped: $1"
  exit 77
}
# bazel_run COMMAND [ARGUMENTS...]: in the workspace, with the one server.
bazel_run() {
  command=$1
  shift
  # shellcheck disable=SC2086 # the options and the startup options, none with blanks
  [ "$command" = shutdown ] || set -- $options "$@"
  # shellcheck disable=SC2086
  (cd "$scratch" && "$bazel" $startup "$command" "$@")
}
recipe_prepare() { # DIR NEXT FROM OFFSET: the call's variables, in DIR/bazel.env
  mkdir "$1"
  cp "$source/examples/bazel/BUILD" "$source/examples/bazel/main.cpp" "$1"
  {
    [ "$2" = 0 ] || echo "REVTICK_FLAGS=-n"
    [ -z "$3" ] || echo "REVTICK_NUMBER_FROM=$3"
    [ -z "$4" ] || echo "REVTICK_NUMBER_OFFSET=$4"
  } >"$1/bazel.env"
}
recipe_configure() { # DIR RAISE: loads and analyses, so that the build starts at once
  [ "$2" = ON ] || echo "REVTICK_RAISE=0" >>"$1/bazel.env"
  bazel_run build --nobuild "//${1##*/}:consumer"
}
recipe_build() {
  (
    while IFS= read -r variable; do export "${variable?}"; done <"$1/bazel.env"
    [ -z "$step" ] || export REVTICK_STEP="$step"
    # The example's status command, on this case's counter.
    status=$(sed -n "s|^build --workspace_status_command=\"\(.*\) build_number\"$|\1 ${1##*/}/build_number|p" \
      "$source/examples/bazel/.bazelrc" | sed "s|/usr/share/revtick/bazel|$rules|")
    [ -n "$status" ] || fail "no --workspace_status_command in examples/bazel/.bazelrc"
    bazel_run build --workspace_status_command="$status" "//${1##*/}:consumer"
  )
}
recipe_header() { echo "$scratch/bazel-bin/${1##*/}/version.h"; }
recipe_program() { "$scratch/bazel-bin/${1##*/}/consumer"; }
