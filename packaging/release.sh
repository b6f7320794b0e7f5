#!/usr/bin/env bash
# usage: packaging/release.sh OUTDIR
# Makes the release set of the committed sources in OUTDIR: the source tarball; static, stripped
# Linux builds for x86-64 and aarch64 as .tar.gz and .deb, the Windows x86-64 exe as .zip, each
# with the licence and the notices of what it links, and an SBOM per binary; and SHA256SUMS. It
# builds from an export of HEAD in its own folders, so the working tree is left as it was, and
# pins whatever else could vary (time, paths, owners, order, umask, locale, file system), so that
# any rebuild of the same commit gives the same bytes.
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
# The linker traces what it links into the log (-t -t), for the notices and the SBOM.
build() {
  (cd "$src" && cmake --preset "$1" -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-Wl,-t,-t && cmake --build --preset "$1") >"$work/$1.log" 2>&1 ||
    { cat "$work/$1.log"; exit 1; }
  DESTDIR="$work/$1" cmake --install "$src/build/$1" --strip >/dev/null
}
for preset in release aarch64 windows; do build "$preset"; done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$src/build/release/CMakeCache.txt")
man_page=$work/release/usr/share/man/man1/spectrum_dump.1

# The source, as distributions package it and as the GNU C Library's licence offers it for
# relinking: an export of the commit under one top folder.
git -C "$repository" archive --format=tar --prefix="spectrum_dump-$version/" HEAD |
  gzip -9n >"$out/spectrum_dump-$version.tar.gz"

# PACKAGE [ARCH]: the readme for the users of that package (windows, linux or deb), from the
# blocks of README.in marked for it.
user_readme() {
  awk -v package="$1" 'BEGIN { keep = 1 }
    /^:::/ { keep = NF == 1; for (i = 2; i <= NF; ++i) keep = keep || $i == package; next }
    keep' "$packaging/README.in" |
    sed "s/@VERSION@/$version/g; s/@ARCH@/${2-}/g"
}

# PRESET PLATFORM FOLDER: the licence, the notices of what the binary links and its SBOM; prints
# the Built-Using field for a .deb of it.
licensing() {
  local binary
  binary=$(echo "$work/$1"/usr/bin/spectrum_dump*)
  mkdir -p "$3"
  cp "$src/LICENSE" "$3"
  VERSION=$version python3 "$packaging/linked.py" "$work/$1.log" "$binary" "$2" \
    "$3/THIRD-PARTY-NOTICES" "$out/spectrum_dump-$version-$2.cdx.json"
}

# PRESET ARCH: the tool, its man page, its users' readme, the changelog, the licences and
# notices, the example frame.
linux_archive() {
  local folder=$work/spectrum_dump-$version-linux-$2
  licensing "$1" "linux-$2" "$folder" >"$work/built-using-$2"
  mkdir -p "$folder/examples"
  cp "$work/$1/usr/bin/spectrum_dump" "$man_page" "$src/CHANGELOG.md" "$folder"
  cp /usr/share/common-licenses/LGPL-2.1 "$folder"
  user_readme linux "$2" >"$folder/README"
  cp "$src/examples/spectrum.bin" "$folder/examples"
  python3 "$packaging/archive.py" "$out/${folder##*/}.tar.gz" "$folder"
}
linux_archive release x86_64
linux_archive aarch64 aarch64

# Windows: the exe, and its users' readme, the manual, the changelog, the licence and notices as
# text with CR LF line ends.
folder=$work/spectrum_dump-$version-windows-x86_64
licensing windows windows-x86_64 "$work/windows-texts" >/dev/null
user_readme windows >"$work/windows-texts/README"
groff -t -man -Tascii -P-cbou "$man_page" >"$work/windows-texts/MANUAL"
cp "$src/CHANGELOG.md" "$work/windows-texts/CHANGELOG"
mkdir -p "$folder/examples"
cp "$work/windows/usr/bin/spectrum_dump.exe" "$folder"
for text in README MANUAL CHANGELOG LICENSE THIRD-PARTY-NOTICES; do
  sed 's/$/\r/' "$work/windows-texts/$text" >"$folder/$text.txt"
done
cp "$src/examples/spectrum.bin" "$folder/examples"
python3 "$packaging/archive.py" "$out/${folder##*/}.zip" "$folder"

# DIRECTORY: its size in KiB as dpkg-gencontrol counts it, each file rounded up and each other
# entry one, so that it does not depend on how a file system sizes its directories.
installed_size() {
  find "$1" \( -type f -printf '%s\n' -o -printf '1024\n' \) |
    awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }'
}

# ARCH DEBIAN_ARCH: a Debian binary package of the Linux archive's tool and notices. The tool is
# static, so it depends on nothing.
deb() {
  local folder=$work/spectrum_dump-$version-linux-$1 root=$work/deb-$2
  local doc=usr/share/doc/spectrum-dump
  mkdir -p "$root/DEBIAN" "$root/usr/bin" "$root/usr/share/man/man1" "$root/$doc/examples" \
    "$root/usr/share/lintian/overrides"
  cp "$folder/spectrum_dump" "$root/usr/bin"
  gzip -9n <"$man_page" >"$root/usr/share/man/man1/spectrum_dump.1.gz"
  { sed "s/@VERSION@/$version/" "$packaging/deb/copyright"
    echo "License: MIT"
    sed 's/^$/./; s/^/ /' "$src/LICENSE"
  } >"$root/$doc/copyright"
  cp "$folder/THIRD-PARTY-NOTICES" "$root/$doc"
  user_readme deb >"$root/$doc/README"
  cp "$src/examples/spectrum.bin" "$root/$doc/examples"
  cp "$packaging/deb/lintian-overrides" "$root/usr/share/lintian/overrides/spectrum-dump"
  # The version's entry of CHANGELOG.md, its items as the Debian changelog's.
  { echo "spectrum-dump ($version) stable; urgency=medium"
    echo
    awk -v heading="## [$version]" '/^## / { entry = index($0, heading) == 1; next }
      entry && /^- / { print "  * " substr($0, 3); next }
      entry && /^  / { print "  " $0; next }
      entry && /^[^#]/ { print "  * " $0 }' "$src/CHANGELOG.md"
    echo
    echo " -- spectrum_dump developers <spectrum-dump@example.org>  $(date -R -d "@$SOURCE_DATE_EPOCH")"
  } | gzip -9n >"$root/$doc/changelog.gz"
  cat >"$root/DEBIAN/control" <<CONTROL
Package: spectrum-dump
Version: $version
Architecture: $2
Maintainer: spectrum_dump developers <spectrum-dump@example.org>
Installed-Size: $(installed_size "$root/usr")
Built-Using: $(cat "$work/built-using-$1")
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
deb x86_64 amd64
deb aarch64 arm64

cd "$out"
sha256sum spectrum_dump-"$version"[.-]* spectrum-dump_"$version"_* >SHA256SUMS
cat SHA256SUMS
