#!/bin/sh
# Makes the Debian package of a cross build: it must be named and marked
# with the target's architecture, and hold the program built for it.
#   deb_architecture_test.sh BUILD_DIR SCRATCH ARCHITECTURE
set -eu
build=$1 scratch=$2 architecture=$3
rm -rf "$scratch" && mkdir -p "$scratch"
. "$(dirname "$0")/lib.sh"

deb=$(make_deb "$build" "$scratch")
set -- "$deb"
case $(basename "$1") in
  *_"$architecture".deb) echo "ok: $(basename "$1")" ;;
  *) fail "$(basename "$1") is not named for $architecture" ;;
esac
marked=$(dpkg-deb -f "$1" Architecture)
[ "$marked" = "$architecture" ] || fail "marked $marked, not $architecture"
echo "ok: marked Architecture: $marked"
dpkg -x "$1" "$scratch/root"
machine() { "${READELF:-readelf}" -h "$1" | sed -n 's/^ *Machine: *//p'; }
packaged=$(machine "$scratch/root/usr/bin/revtick")
[ -n "$packaged" ] && [ "$packaged" = "$(machine "$build/revtick")" ] ||
  fail "the packaged program is for '$packaged', not the target"
echo "ok: holds the program for $packaged"
