# Helpers the integration tests share; sourced, not run.

fail() { printf 'FAIL: %s\n' "$*" >&2; exit 1; }

# readme_block PAGE MARKER LANGUAGE: the code block that follows the
# comment <!-- MARKER --> in a Markdown page (the README or one under
# docs/), as the page shows it.
readme_block() {
  awk -v marker="<!-- $2 -->" -v fence="\`\`\`$3" '
    $0 == marker { on = 1; next }
    on && $0 == fence { copy = 1; next }
    copy && /^```$/ { exit }
    copy { print }' "$1"
}

# make_deb BUILD_DIR SCRATCH: makes the Debian package of a build folder in
# SCRATCH and prints its path; fails unless exactly one is made.
make_deb() {
  "${CPACK:-cpack}" -G DEB --config "$1/CPackConfig.cmake" -B "$2" >/dev/null
  set -- "$2"/revtick_*.deb
  [ $# = 1 ] && [ -f "$1" ] || fail "no package made"
  echo "$1"
}

# readme_command PAGE MARKER: the indented command line that follows the
# comment <!-- MARKER --> in a Markdown page.
readme_command() {
  awk -v marker="<!-- $2 -->" '$0 == marker { on = 1; next }
    on && /^    / { sub(/^    /, ""); print; exit }' "$1"
}

# compile_note DIR: DIR/note, a compiler launcher that appends the name of
# each source it compiles to $COMPILE_LOG (DIR/compiles).
compile_note() {
  export COMPILE_LOG="$1/compiles"
  cat >"$1/note" <<'EOF'
#!/bin/sh
for argument; do
  case $argument in *.cpp) echo "${argument##*/}" >>"$COMPILE_LOG" ;; esac
done
exec "$@"
EOF
  chmod +x "$1/note"
}
