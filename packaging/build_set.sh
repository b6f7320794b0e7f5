#!/usr/bin/env bash
# usage: packaging/build_set.sh (run by release.sh in the build root, with SOURCE_DATE_EPOCH,
# COMMIT and VERSION in the environment, from the export at /build/spectrum_dump-VERSION)
# The release's sequence: writes the set into /build/out. Each job is a script beside this one;
# they take the folders and the version from the environment this script exports.
set -euo pipefail
umask 022
packaging=$(cd "$(dirname "$0")" && pwd)
SRC=$(dirname "$packaging") WORK=/build/work OUT=/build/out
mkdir "$WORK" "$OUT"
export SRC WORK OUT

# The source, as distributions package it and as the GNU C Library's licence offers it for
# relinking: the export under one top folder, packed before anything is built in it, so that an
# unpacked tarball packs to the same bytes.
python3 "$packaging/archive.py" "$OUT/spectrum_dump-$VERSION.tar.gz" "$SRC"
if tar -tzf "$OUT/spectrum_dump-$VERSION.tar.gz" | grep -E '__pycache__|\.py[co]$' >&2; then
  echo "build_set.sh: compiled Python is committed; remove it from git" >&2
  exit 1
fi

# The version's changelog entry, in Debian's form for the .debs; without one, no release.
"$packaging/deb_changelog.sh" >"$WORK/deb-changelog"

# Each target (preset, platform, .deb architecture), into $WORK/PRESET, with the linker's trace in
# $WORK/PRESET.log.
mapfile -t targets < <(grep '^[^#]' "$packaging/targets")
for target in "${targets[@]}"; do read -r preset _ <<<"$target"; "$packaging/build_preset.sh" "$preset"; done

# The archives, each with its readme, notices and SBOM; the source of the glibc the Linux ones
# link; then the .debs, made from the Linux archives' folders; and the record of the build.
for target in "${targets[@]}"; do
  read -r preset platform _ <<<"$target"
  "$packaging/${platform%%-*}_archive.sh" "$preset" "${platform#*-}"
done
"$packaging/glibc_source.sh"
for target in "${targets[@]}"; do
  read -r _ platform deb_arch <<<"$target"
  [[ $deb_arch == - ]] || "$packaging/deb.sh" "${platform#*-}" "$deb_arch"
done
python3 "$packaging/buildinfo.py" >"$OUT/spectrum_dump-$VERSION.buildinfo"

cd "$OUT"
sha256sum -- * >"$WORK/SHA256SUMS"
mv "$WORK/SHA256SUMS" .
