#!/usr/bin/env bash
# usage: packaging/linux_archive.sh PRESET ARCH (a job of build_set.sh, which exports SRC, WORK,
# OUT and VERSION)
# The Linux archive of PRESET's build, in OUT: the tool, its man page, its users' readme, the
# changelog, the licence, the notices and the licence texts they name (in licenses/), the example
# frame and its report, the security policy; its SBOM beside it. Leaves the folder in WORK for the
# .deb, the .deb's Built-Using field in $WORK/built-using-ARCH and its copyright file's Copyright
# and License fields in $WORK/copyright-ARCH.
set -euo pipefail
packaging=$(dirname "$0")
name=spectrum_dump-$VERSION-linux-$2
folder=$WORK/$name
mkdir -p "$folder/examples"
cp "$SRC/LICENSE" "$folder"
python3 "$packaging/third_party.py" "$WORK/$1.log" "$WORK/$1/usr/bin/spectrum_dump" "$1" "linux-$2" \
  "$folder" "$OUT/$name.cdx.json" "$WORK/copyright-$2" >"$WORK/built-using-$2"
cp "$WORK/$1/usr/bin/spectrum_dump" "$WORK/release/usr/share/man/man1/spectrum_dump.1" \
  "$SRC/CHANGELOG.md" "$SRC/SECURITY.md" "$folder"
"$packaging/readme.sh" linux "$2" >"$folder/README"
cp "$SRC/examples/spectrum.bin" "$SRC/examples/spectrum.txt" "$folder/examples"
python3 "$packaging/archive.py" "$OUT/$name.tar.gz" "$folder"
