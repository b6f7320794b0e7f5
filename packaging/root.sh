#!/usr/bin/env bash
# usage: packaging/root.sh TARBALL [DEBS [ORIGIN]]
# Makes the root the release set is built in, as TARBALL: a minimal Debian 13 (amd64, with arm64
# as a foreign architecture) holding the packages root-packages lists and what they depend on:
# from Debian's archive, the newest version of each package, keeping the .debs in the folder DEBS
# if given; or, given ORIGIN, from the folder DEBS
# alone (a rebuild's recorded .debs), every package in it. /build/origin in the root says where
# its packages came from, in the record's words: the apt sources and the date their lists were
# fetched; for a root from DEBS, the file ORIGIN.
set -euo pipefail
(($# >= 1 && $# <= 3)) || { sed -n 2p "$0" >&2; exit 2; }
tarball=$(realpath "$1")
suite=trixie  # Debian 13, whose glibc, libstdc++ and mingw-w64 runtimes the binaries carry
# The .debs' architectures, from the targets: the first native, the rest foreign.
architectures=$(awk '/^[^#]/ && $3 != "-" { print $3 }' "$(dirname "$0")/targets" | paste -sd,)
options=(--quiet --variant=minbase "--architectures=$architectures" --skip=cleanup/apt/lists)
if (($# < 3)); then
  sources=(
    "deb http://deb.debian.org/debian $suite main"
    "deb http://deb.debian.org/debian $suite-updates main"
    "deb http://deb.debian.org/debian-security $suite-security main"
  )
  origin=$(mktemp)
  trap 'rm -f "$origin"' EXIT
  { echo "Apt-Sources:"; printf ' %s\n' "${sources[@]}"
    echo "Apt-Lists-Date: $(date -u +%Y%m%dT%H%M%SZ)"; } >"$origin"
  options+=(--include="$(grep '^[^#]' "$(dirname "$0")/root-packages" | paste -s -d,)")
  if (($# == 2)); then
    mkdir -p "$2"
    options+=(--skip=essential/unlink --customize-hook="sync-out /var/cache/apt/archives '$(realpath "$2")'")
  fi
else
  # Every package of DEBS at its version, from a flat archive of them; their SHA-256 are the
  # caller's to check. apt copies its index into the root, as it does an archive's, and reads the
  # .debs at the same path inside the root as outside.
  debs=$(realpath "$2") origin=$(realpath "$3")
  (cd "$debs" && apt-ftparchive packages . >Packages)
  sources=("deb [trusted=yes] copy://$debs ./")
  options=("${options[@]/minbase/custom}" --setup-hook="mkdir -p \"\$1$debs\" && mount -o ro,bind '$debs' \"\$1$debs\""
           --customize-hook="umount \"\$1$debs\" && rmdir \"\$1$debs\""
           --include="$(awk '/^Package:/ { name = $2 } /^Version:/ { version = $2 }
             /^Architecture:/ { arch = $2 } /^$/ { printf "%s%s:%s=%s", sep, name, arch, version; sep = "," }' \
             "$debs/Packages" | sed 's/:all=/=/g')")
fi
printf '%s\n' "${sources[@]}" |
  mmdebstrap "${options[@]}" --customize-hook='mkdir "$1/build"' \
    --customize-hook="upload '$origin' /build/origin" "$suite" "$tarball" -
