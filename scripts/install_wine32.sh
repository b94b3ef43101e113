#!/usr/bin/env bash
# Installs, as root on Debian 12, what runs the 32-bit Windows program on a
# 64-bit Linux whose kernel does not run 32-bit code: Debian's i386 Wine
# (wine32:i386), whose 32-bit loader then runs under qemu-i386 (qemu-user from
# bookworm-backports; bookworm's own QEMU works but takes about a minute to
# start each program). Backports come from the mirror that the machine's apt
# sources already use. Does nothing that is already done.
set -euo pipefail
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:?}")
backports=$codename-backports
apt_get=(apt-get -o DPkg::Lock::Timeout=900)
export DEBIAN_FRONTEND=noninteractive
changed=0

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  changed=1
fi

# The mirror (and its key) of the machine's own sources for $codename, in
# deb822 files (URIs:, Suites:, Signed-By:) or in one-line entries.
mirror_of_sources() {
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
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
    [ -f "$file" ] || continue
    sed -nE "s/^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?([^[:space:]]+)[[:space:]]+$codename[[:space:]].*/\2/p" "$file"
  done
}

if ! grep -rqsE "(^|[[:space:]])$backports([[:space:]]|$)" /etc/apt/sources.list /etc/apt/sources.list.d/; then
  read -r uri key < <(mirror_of_sources | head -n 1) || true
  if [ -z "${uri:-}" ]; then
    echo "No apt source for $codename found to take $backports from" >&2
    exit 1
  fi
  {
    echo "Types: deb"
    echo "URIs: $uri"
    echo "Suites: $backports"
    echo "Components: main"
    [ -z "${key:-}" ] || echo "Signed-By: $key"
  } >"/etc/apt/sources.list.d/$backports.sources"
  echo "Added $backports from $uri"
  changed=1
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
qemu_major() { qemu-i386 --version 2>/dev/null | sed -nE '1s/.* version ([0-9]+)\..*/\1/p'; }
major=$(qemu_major || true)
if ((changed)) || ! installed wine32:i386 || ((${major:-0} < 8)); then
  "${apt_get[@]}" update
  "${apt_get[@]}" install -y --no-install-recommends wine32:i386
  "${apt_get[@]}" install -y --no-install-recommends "qemu-user/$backports"
fi
qemu-i386 --version | head -n 1
