# The example batch file under Wine's cmd, with the Windows revtick-step
# beside it. A counter is held by a Windows program, as another build's
# step would hold it. The batch file compiles nothing here.
#   batch WINE64 WINEPREFIX PROGRAM_DIR HOLDER
recipe_init() {
  wine64=$1 programs=$3 holder=$4
  export WINEPREFIX="$2" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}
recipe_prepare() { # DIR NEXT FROM OFFSET: the call's variables, in DIR/batch.env
  mkdir -p "$1"
  cp "$source/examples/consumer/build.bat" "$programs/revtick-step.exe" "$holder" "$1/"
  {
    [ "$2" = 0 ] || echo "REVTICK_FLAGS=-n"
    [ -z "$3" ] || echo "REVTICK_NUMBER_FROM=$3"
    [ -z "$4" ] || echo "REVTICK_NUMBER_OFFSET=$4"
  } >"$1/batch.env"
}
recipe_configure() { [ "$2" = ON ] || echo "REVTICK_RAISE=0" >>"$1/batch.env"; }
recipe_build() {
  # shellcheck disable=SC2046 # one variable a line, none with blanks
  (cd "$1" && env $(cat batch.env) "$wine64" cmd /c build.bat </dev/null)
}
recipe_hold() {
  rm -f "$1/held"
  (cd "$1" && "$wine64" "${holder##*/}" build_number held </dev/null >/dev/null 2>&1) &
  while [ ! -e "$1/held" ]; do sleep 0.1; done
  (sleep "$2" && rm "$1/held") >/dev/null 2>&1 &
}
recipe_header() { echo "$1/generated/version.h"; }
