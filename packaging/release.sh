#!/usr/bin/env bash
# usage: packaging/release.sh OUTDIR
# Makes the release set of the committed sources in OUTDIR, a new or empty folder: the source
# tarball; static, stripped Linux builds for x86-64 and aarch64 as .tar.gz and .deb, the Windows
# x86-64 exe as .zip, each with the licence and the notices of what it links, and an SBOM per
# binary; the source of the glibc they link; and SHA256SUMS. It builds from an export of HEAD in
# its own folders, so the working tree is left as it was, and pins whatever else could vary
# (time, paths, owners, order, umask, locale, file system), so that any rebuild of the same
# commit gives the same bytes. Each job is a script beside this one; they take the folders and
# the version from the environment this script exports.
set -euo pipefail
(($# == 1)) || { sed -n 2p "$0" >&2; exit 2; }
packaging=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
# SHA256SUMS sums the set by its names' patterns, which an old set's files would match too.
[[ -z $(ls -A "$1") ]] || { echo "release.sh: $1 is not empty; give a new or empty folder" >&2; exit 1; }
OUT=$(cd "$1" && pwd)

repository=$(git -C "$packaging" rev-parse --show-toplevel)
SOURCE_DATE_EPOCH=$(git -C "$repository" log -1 --format=%ct)
umask 022
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
SRC=$WORK/src
git -C "$repository" archive --prefix=src/ HEAD | tar -x -C "$WORK"
VERSION=$(sed -n '/^project(/,/)/s/^ *VERSION \([^ )]*\).*/\1/p' "$SRC/CMakeLists.txt")
[[ -n $VERSION ]] || { echo "release.sh: no VERSION in project() of CMakeLists.txt" >&2; exit 1; }
export SOURCE_DATE_EPOCH LC_ALL=C TZ=UTC SRC WORK OUT VERSION

# The version's changelog entry, in Debian's form for the .debs; without one, no release.
"$packaging/deb_changelog.sh" >"$WORK/deb-changelog"

# Each target, into $WORK/PRESET, with the linker's trace in $WORK/PRESET.log.
for preset in release aarch64 windows; do "$packaging/build.sh" "$preset"; done

# The source, as distributions package it and as the GNU C Library's licence offers it for
# relinking: an export of the commit under one top folder.
git -C "$repository" archive --format=tar --prefix="spectrum_dump-$VERSION/" HEAD |
  gzip -9n >"$OUT/spectrum_dump-$VERSION.tar.gz"
if tar -tzf "$OUT/spectrum_dump-$VERSION.tar.gz" | grep -E '__pycache__|\.py[co]$' >&2; then
  echo "release.sh: compiled Python is committed; remove it from git" >&2
  exit 1
fi

# The archives, each with its readme, notices and SBOM; the source of the glibc the Linux ones
# link; then the .debs, made from the Linux archives' folders.
"$packaging/linux_archive.sh" release x86_64
"$packaging/linux_archive.sh" aarch64 aarch64
"$packaging/windows_archive.sh"
"$packaging/glibc_source.sh"
"$packaging/deb.sh" x86_64 amd64
"$packaging/deb.sh" aarch64 arm64

cd "$OUT"
sha256sum spectrum_dump-"$VERSION"[.-]* spectrum-dump_"$VERSION"_* glibc-* >SHA256SUMS
cat SHA256SUMS
