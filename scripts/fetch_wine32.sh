#!/usr/bin/env bash
# Fills a folder with what runs the 32-bit Windows programs on a 64-bit
# Debian, from Debian's own packages, downloaded and unpacked, never
# installed: the i386 Wine (wine32, libwine and the few i386 libraries its
# loader and fonts need) at the version of the system's wine64, and
# qemu-i386 from bookworm-backports' qemu-user (static; bookworm's own
# QEMU 7.2 takes about a minute to start each program). The 32-bit loader
# always runs under that qemu-i386, so the kernel need not run 32-bit code,
# and the 64-bit half is the system's wine64.
#
#   fetch_wine32.sh [--fresh] [FOLDER]   (FOLDER: build/wine32 by default)
#
# --fresh removes FOLDER first; otherwise a folder already filled for the
# system's wine64 is left as it is. apt runs with a state and cache of its
# own inside FOLDER and reads the machine's sources, so the system's
# architectures, package lists and installed packages stay as they were;
# no root is needed where apt-get download works. FOLDER/wine32 then runs
# a 32-bit Windows program: FOLDER/wine32 'C:\windows\syswow64\cmd.exe'.
set -euo pipefail
cd "$(dirname "$0")/.."

fresh=0
if [[ ${1:-} == --fresh ]]; then
  fresh=1
  shift
fi
root=$(realpath -m "${1:-build/wine32}")
started=$SECONDS

fail() {
  echo "fetch_wine32.sh: $*" >&2
  echo "fetch_wine32.sh: only the 32-bit Windows suites need $root; to run everything else" \
    "without them: REVTICK_WITHOUT_WINE32=1 bash .ci/run" >&2
  exit 1
}

# The 64-bit Wine whose server the 32-bit programs talk to: the i386 Wine
# must be of the same version, or the two do not understand each other.
wine64=/usr/lib/wine/wine64
[[ -x $wine64 ]] || fail "$wine64 not found: apt-get install wine64"
version=$(dpkg-query -W -f='${Version}' libwine 2>/dev/null) ||
  fail "the system's libwine is not installed: apt-get install wine64"
stamp=$root/.fetched
wanted="libwine $version"
if ((!fresh)) && [[ -x $root/wine32 && -f $stamp && $(cat "$stamp") == "$wanted" ]]; then
  echo "$root holds the i386 Wine $version already"
  exit 0
fi
rm -rf "$root"
mkdir -p "$root"

codename=$(. /etc/os-release && echo "${VERSION_CODENAME:?}")
backports=$codename-backports

# apt with a state, cache and status of its own under $root/apt, for one
# architecture: apt_for ARCH SOURCE_LIST SOURCE_PARTS apt-get|apt-cache ARGS...
# An empty status makes apt resolve as on a machine with nothing
# installed, so what it names is the whole of what the folder needs.
apt_for() {
  local arch=$1 list=$2 parts=$3 state=$root/apt/$1
  shift 3
  mkdir -p "$state/lists/partial" "$state/archives/partial" "$root/apt/none"
  touch "$state/status"
  "$@" -o "Dir::State=$state" -o "Dir::State::Lists=$state/lists" \
    -o "Dir::State::status=$state/status" -o "Dir::Cache=$state" \
    -o "Dir::Cache::archives=$state/archives" -o "Dir::Cache::pkgcache=" \
    -o "Dir::Cache::srcpkgcache=" -o "Dir::Etc::SourceList=$list" \
    -o "Dir::Etc::SourceParts=$parts" -o "Dir::Etc::Preferences=/dev/null" \
    -o "Dir::Etc::PreferencesParts=$root/apt/none" -o "APT::Architecture=$arch" \
    -o "APT::Architectures::=$arch" -o "APT::Sandbox::User=$(id -un)" \
    -o "Debug::NoLocking=1" -o "Acquire::Retries=5" -o "Acquire::Retries::Delay::Maximum=30"
}

# apt-get update until the lists name each package the folder needs:
# lists ARCH LIST PARTS NAME[=VERSION|/SUITE]... An index that fails, or
# one of a mirror caught halfway through a sync, which apt takes without a
# word but which names too little, is fetched again after a pause, for
# some minutes.
lists() {
  local arch=$1 list=$2 parts=$3 try missing
  shift 3
  for try in 1 2 3 4 5; do
    apt_for "$arch" "$list" "$parts" apt-get -qq update || echo "apt-get update ($arch) failed" >&2
    missing=$(unlisted "$arch" "$list" "$parts" "$@") || return 0
    echo "the $arch lists name no $missing (try $try of 5)" >&2
    ((try == 5)) || sleep $((try * try * 10))
  done
  fail "no $arch package list that apt could get names $missing"
}

# The first package no list names (apt-cache madison: "name | version |
# source"); false when they name all.
unlisted() {
  local arch=$1 list=$2 parts=$3 package name want
  shift 3
  for package in "$@"; do
    name=${package%%[=/]*} want=" | "
    [[ $package != *=* ]] || want=" | ${package#*=} | "
    [[ $package != */* ]] || want=" ${package#*/}/"
    apt_for "$arch" "$list" "$parts" apt-cache madison "$name" 2>/dev/null | grep -qF -- "$want" ||
      { echo "$package"; return 0; }
  done
  return 1
}

# Downloads into $root/debs, tried again after a pause.
download() {
  local arch=$1 list=$2 parts=$3 try
  shift 3
  mkdir -p "$root/debs"
  for try in 1 2 3; do
    (cd "$root/debs" && apt_for "$arch" "$list" "$parts" apt-get -q download "$@") && return 0
    echo "apt-get download failed (try $try of 3)" >&2
    ((try == 3)) || sleep $((try * 5))
  done
  fail "could not download $*"
}

# The i386 packages come from the machine's own sources, read as they are.
i386=(i386 /etc/apt/sources.list /etc/apt/sources.list.d)
lists "${i386[@]}" "libwine=$version" "wine32=$version" libfreetype6 libz-mingw-w64
# FreeType, with what it needs (Wine loads it for its fonts, and says on
# standard error when it cannot), and the C library.
mapfile -t libraries < <(apt_for "${i386[@]}" apt-get -s -q --no-install-recommends install \
  libfreetype6 libc6 | sed -n 's/^Inst \([^ ]*\) (\([^ ]*\) .*/\1=\2/p')
((${#libraries[@]})) || fail "apt resolved no i386 libraries for the 32-bit Wine"
# libz-mingw-w64 holds the zlib1.dll that Debian's Wine is built against.
download "${i386[@]}" "wine32=$version" "libwine=$version" libz-mingw-w64 "${libraries[@]}"

# qemu-user from backports, taken from the mirror of the machine's sources
# for $codename (deb822 files or one-line entries).
mirror_of_sources() {
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [[ -f $file ]] || continue
    awk -v suite="$codename" 'BEGIN { RS = ""; FS = "\n" }
      {
        uri = ""; key = ""; found = 0
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^URIs:/) { split(substr($i, 6), words, " "); uri = words[1] }
          if ($i ~ /^Suites:/) { n = split(substr($i, 8), words, " ")
                                 for (j = 1; j <= n; j++) if (words[j] == suite) found = 1 }
          if ($i ~ /^Signed-By:/) { key = substr($i, 11); gsub(/^ +| +$/, "", key) }
        }
        if (found && uri != "") { print uri " " key; exit }
      }' "$file"
  done
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [[ -f $file ]] || continue
    sed -nE "s/^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+)[[:space:]]+$codename[[:space:]].*/\2/p" "$file"
  done
}
read -r uri key < <(mirror_of_sources | head -n 1) || true
[[ -n ${uri:-} ]] || fail "no apt source for $codename found to take $backports from"
mkdir -p "$root/apt"
echo "deb ${key:+[signed-by=$key] }$uri $backports main" >"$root/apt/backports.list"
amd64=(amd64 "$root/apt/backports.list" "$root/apt/none")
lists "${amd64[@]}" "qemu-user/$backports"
download "${amd64[@]}" "qemu-user/$backports"

# Unpacked, not installed: the whole of each i386 package, and qemu-i386
# alone of qemu-user's emulators.
for deb in "$root"/debs/*_i386.deb; do
  dpkg-deb -x "$deb" "$root"
done
dpkg-deb --fsys-tarfile "$root"/debs/qemu-user_*_amd64.deb | tar -x -C "$root" ./usr/bin/qemu-i386
# What libwine's own configure step does on install: zlib1.dll, marked as
# one of Wine's builtin DLLs, beside the others.
zlib=$root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll
dpkg-deb -x "$root"/debs/libz-mingw-w64_*.deb "$root/zlib"
{
  head -c 64 "$root/zlib/usr/i686-w64-mingw32/lib/zlib1.dll"
  printf 'Wine builtin DLL'
  head -c 16 /dev/zero
  tail -c +97 "$root/zlib/usr/i686-w64-mingw32/lib/zlib1.dll"
} >"$zlib"
# The 32-bit loader starts 64-bit programs through the wine64 beside it,
# and its server is the system's 64-bit one (the wineserver script there
# takes it): no 32-bit server is left to start.
ln -s "$wine64" "$root/usr/lib/wine/wine64"
rm -f "$root/usr/lib/wine/wineserver32"
# An empty linker cache: the i386 libraries are found in the folder, never
# through the system's cache of its own (qemu-i386 -L reads the folder's
# files first).
mkdir -p "$root/etc"
: >"$root/etc/ld.so.cache"
rm -rf "$root/debs" "$root/apt" "$root/zlib"

# The launcher: a 32-bit Windows program runs as "$root/wine32" PROGRAM.
# WINELOADERNOEXEC keeps the loader from starting itself again, which
# needs the kernel to run it.
cat >"$root/wine32" <<EOF
#!/bin/sh
# The i386 Wine of this folder, its loader under the folder's qemu-i386.
WINELOADERNOEXEC=1 exec '$root/usr/bin/qemu-i386' -L '$root' '$root/usr/lib/wine/wine' "\$@"
EOF
chmod +x "$root/wine32"
"$root/usr/bin/qemu-i386" --version | head -n 1
printf '%s\n' "$wanted" >"$stamp"
echo "$root holds the i386 Wine $version ($(du -sh "$root" | cut -f1), $((SECONDS - started)) s)"
