#!/usr/bin/env bash
# usage: packaging/release.sh OUTDIR
# Makes the release set of the committed sources in OUTDIR: static, stripped Linux builds for
# x86-64 and aarch64 as .tar.gz and .deb, the Windows x86-64 exe as .zip, and SHA256SUMS. It
# builds from an export of HEAD in its own folders, so the working tree is left as it was, and
# pins whatever else could vary (time, paths, owners, order, umask, locale), so that any rebuild
# of the same commit gives the same bytes.
set -euo pipefail
(($# == 1)) || { sed -n 2p "$0" >&2; exit 2; }
packaging=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)

repository=$(git -C "$packaging" rev-parse --show-toplevel)
SOURCE_DATE_EPOCH=$(git -C "$repository" log -1 --format=%ct)
export SOURCE_DATE_EPOCH LC_ALL=C TZ=UTC
umask 022
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git -C "$repository" archive --prefix=src/ HEAD | tar -x -C "$work"
src=$work/src

# PRESET: builds without tests and installs the stripped tool and its man page in $work/PRESET.
build() {
  (cd "$src" && cmake --preset "$1" -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/usr &&
    cmake --build --preset "$1") >"$work/$1.log" 2>&1 || { cat "$work/$1.log"; exit 1; }
  DESTDIR="$work/$1" cmake --install "$src/build/$1" --strip >/dev/null
}
for preset in release aarch64 windows; do build "$preset"; done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$src/build/release/CMakeCache.txt")
man_page=$work/release/usr/share/man/man1/spectrum_dump.1

# PRESET ARCH: the tool, its man page, the README and the example frame.
linux_archive() {
  local folder=$work/spectrum_dump-$version-linux-$2
  mkdir -p "$folder/examples"
  cp "$work/$1/usr/bin/spectrum_dump" "$man_page" "$src/README.md" "$folder"
  cp "$src/examples/spectrum.bin" "$folder/examples"
  python3 "$packaging/archive.py" "$out/${folder##*/}.tar.gz" "$folder"
}
linux_archive release x86_64
linux_archive aarch64 aarch64

# Windows: the exe, and the README and the manual as text with CR LF line ends.
folder=$work/spectrum_dump-$version-windows-x86_64
mkdir -p "$folder/examples"
cp "$work/windows/usr/bin/spectrum_dump.exe" "$folder"
sed 's/$/\r/' "$src/README.md" >"$folder/README.txt"
groff -t -man -Tascii -P-cbou "$man_page" | sed 's/$/\r/' >"$folder/MANUAL.txt"
cp "$src/examples/spectrum.bin" "$folder/examples"
python3 "$packaging/archive.py" "$out/${folder##*/}.zip" "$folder"

# PRESET ARCH: a Debian binary package. The tool is static, so it depends on nothing.
deb() {
  local root=$work/deb-$2 doc=usr/share/doc/spectrum-dump
  mkdir -p "$root/DEBIAN" "$root/usr/share/man/man1" "$root/$doc/examples" \
    "$root/usr/share/lintian/overrides"
  cp -r "$work/$1/usr/bin" "$root/usr"
  gzip -9n <"$man_page" >"$root/usr/share/man/man1/spectrum_dump.1.gz"
  cp "$packaging/deb/copyright" "$root/$doc"
  cp "$src/examples/spectrum.bin" "$root/$doc/examples"
  cp "$packaging/deb/lintian-overrides" "$root/usr/share/lintian/overrides/spectrum-dump"
  gzip -9n >"$root/$doc/changelog.gz" <<CHANGELOG
spectrum-dump ($version) stable; urgency=medium

  * Release $version.

 -- spectrum_dump developers <spectrum-dump@example.org>  $(date -R -d "@$SOURCE_DATE_EPOCH")
CHANGELOG
  cat >"$root/DEBIAN/control" <<CONTROL
Package: spectrum-dump
Version: $version
Architecture: $2
Maintainer: spectrum_dump developers <spectrum-dump@example.org>
Installed-Size: $(du -s --apparent-size --block-size=1024 "$root/usr" | cut -f1)
Section: science
Priority: optional
Description: show the header and first samples of a radar spectrum frame
 spectrum_dump opens spectrum.bin in the current directory, prints the seven
 fields of the 48-byte frame header at its start, warns when the header's
 frame_size disagrees with the size its dimensions imply, and lists at most
 the first 16 spectrum samples.
CONTROL
  (cd "$root" && find usr -type f | sort | xargs md5sum) >"$root/DEBIAN/md5sums"
  chmod -R u=rwX,go=rX "$root"
  find "$root" -exec touch --no-dereference --date="@$SOURCE_DATE_EPOCH" {} +
  dpkg-deb --root-owner-group -Zxz --build "$root" "$out/spectrum-dump_${version}_$2.deb" >/dev/null
}
deb release amd64
deb aarch64 arm64

cd "$out"
sha256sum spectrum_dump-"$version"-* spectrum-dump_"$version"_* >SHA256SUMS
cat SHA256SUMS
