#!/usr/bin/env bash
# usage: packaging/deb.sh ARCH DEBIAN_ARCH (a job of build_set.sh, which exports SRC, WORK, OUT,
# VERSION and SOURCE_DATE_EPOCH)
# A Debian binary package, in OUT, of the Linux archive's tool and notices from its folder in
# WORK, with the Debian changelog release.sh wrote. The tool is static, so it depends on nothing.
set -euo pipefail
packaging=$(dirname "$0")
folder=$WORK/spectrum_dump-$VERSION-linux-$1 root=$WORK/deb-$2
doc=usr/share/doc/spectrum-dump
mkdir -p "$root/DEBIAN" "$root/usr/bin" "$root/usr/share/man/man1" "$root/$doc/examples" \
  "$root/usr/share/lintian/overrides"
cp "$folder/spectrum_dump" "$root/usr/bin"
gzip -9n <"$folder/spectrum_dump.1" >"$root/usr/share/man/man1/spectrum_dump.1.gz"
# The copyright file's Copyright and License fields for the binary come from third_party.py.
{ sed -e "s/@VERSION@/$VERSION/" -e "/^@LINKED@\$/{r $WORK/copyright-$1" -e 'd;}' "$packaging/deb/copyright"
  echo "License: Expat"  # DEP-5's name for the MIT licence
  sed 's/^$/./; s/^/ /' "$SRC/LICENSE"
} >"$root/$doc/copyright"
cp -R "$folder/THIRD-PARTY-NOTICES" "$folder/licenses" "$folder/SECURITY.md" "$root/$doc"
"$packaging/readme.sh" deb "$2" >"$root/$doc/README"
cp "$folder"/examples/* "$root/$doc/examples"
cp "$packaging/deb/lintian-overrides" "$root/usr/share/lintian/overrides/spectrum-dump"
gzip -9n <"$WORK/deb-changelog" >"$root/$doc/changelog.gz"

# DIRECTORY: its size in KiB as dpkg-gencontrol counts it, each file rounded up and each other
# entry one, so that it does not depend on how a file system sizes its directories.
installed_size() {
  find "$1" \( -type f -printf '%s\n' -o -printf '1024\n' \) |
    awk '{ kib += int(($1 + 1023) / 1024) } END { print kib }'
}
cat >"$root/DEBIAN/control" <<CONTROL
Package: spectrum-dump
Version: $VERSION
Architecture: $2
Maintainer: spectrum_dump developers <spectrum-dump@example.org>
Installed-Size: $(installed_size "$root/usr")
Built-Using: $(cat "$WORK/built-using-$1")
Section: science
Priority: optional
Description: show the header and first samples of a radar spectrum frame
 spectrum_dump opens spectrum.bin in the current directory, prints the fields
 of the 48-byte frame header at its start, warns when the header's frame_size
 disagrees with the size its dimensions imply, and lists at most the first 16
 spectrum samples.
CONTROL
(cd "$root" && find usr -type f | sort | xargs md5sum) >"$root/DEBIAN/md5sums"
chmod -R u=rwX,go=rX "$root"
find "$root" -exec touch --no-dereference --date="@$SOURCE_DATE_EPOCH" {} +
dpkg-deb --root-owner-group -Zxz --build "$root" "$OUT/spectrum-dump_${VERSION}_$2.deb" >/dev/null
