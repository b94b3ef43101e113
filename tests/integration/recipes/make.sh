# The example consumer's Makefile, which includes the installed revtick.mk.
recipe_init() { :; }
recipe_prepare() { # DIR NEXT FROM OFFSET: the call's variables, in DIR/make.args
  cp -R "$source/examples/consumer" "$1"
  {
    [ "$2" = 0 ] || echo "REVTICK_FLAGS=-v -n"
    [ -z "$3" ] || echo "REVTICK_NUMBER_FROM=$3"
    [ -z "$4" ] || echo "REVTICK_NUMBER_OFFSET=$4"
  } >"$1/make.args"
}
recipe_configure() { [ "$2" = ON ] || echo "REVTICK_RAISE=0" >>"$1/make.args"; }
recipe_build() {
  # One make variable a line, blanks and all.
  set -- "$1"
  while IFS= read -r assignment; do set -- "$@" "$assignment"; done <"$1/make.args"
  make -C "$@" REVTICK_PREFIX="$prefix" CXX="$note c++"
}
recipe_header() { echo "$1/generated/version.h"; }
recipe_program() { "$1/consumer"; }
