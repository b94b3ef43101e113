# The Meson example, against the installed revtick-step.
recipe_init() {
  command -v "${MESON:-meson}" >/dev/null || { echo "skipped: meson not found (apt-get install meson)"; exit 77; }
}
recipe_prepare() { # DIR NEXT FROM OFFSET: the call's options, in DIR/meson.args
  cp -R "$source/examples/meson" "$1"
  {
    [ "$2" = 0 ] || echo "-Dnext=true"
    [ -z "$3" ] || echo "-Dnumber_from=$3"
    [ -z "$4" ] || echo "-Dnumber_offset=$4"
  } >"$1/meson.args"
}
recipe_configure() { # DIR RAISE
  [ "$2" = ON ] || echo "-Draise=false" >>"$1/meson.args"
  # shellcheck disable=SC2046 # one option a line, none with blanks
  CXX="$note c++" "${MESON:-meson}" setup "$1/build" "$1" -Drevtick_step="$prefix/bin/revtick-step" \
    $(cat "$1/meson.args")
}
recipe_build() { "${MESON:-meson}" compile -C "$1/build"; }
recipe_header() { echo "$1/build/version.h"; }
recipe_program() { "$1/build/consumer"; }
