#!/bin/sh
# docs/integration.md shows the recipes' files as they are tested (the
# recipes' table, recipes_test.sh, builds each): the example Makefile and
# the revtick.mk it includes, the batch file and the Meson example.
#   recipe_pages_test.sh BUILD_DIR SOURCE_DIR SCRATCH
set -eu
source=$2 scratch=$3
rm -rf "$scratch" && mkdir -p "$scratch"
. "$(dirname "$0")/lib.sh"

# page_shows FILE LANGUAGE: the page's block after <!-- FILE --> is FILE.
page_shows() {
  readme_block "$source/docs/integration.md" "$1" "$2" >"$scratch/shown"
  tr -d '\r' <"$source/$1" | cmp -s "$scratch/shown" - || fail "docs/integration.md's $1 differs from the file"
}
page_shows examples/consumer/Makefile make
page_shows packaging/make/revtick.mk make
page_shows examples/consumer/build.bat bat
page_shows examples/meson/meson.build meson
echo "ok: docs/integration.md's Makefile, revtick.mk, batch file and meson.build are the tested ones"
