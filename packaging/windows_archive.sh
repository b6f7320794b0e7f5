#!/usr/bin/env bash
# usage: packaging/windows_archive.sh PRESET ARCH (a job of build_set.sh, which exports SRC, WORK,
# OUT and VERSION)
# The Windows zip of PRESET's build, in OUT: the exe, and its users' readme, the manual written for Windows, the
# changelog, the licence, the security policy, the notices and the licence texts they name (in
# licenses\), as plain text with CR LF line ends, the example frame and its report; its SBOM
# beside it.
set -euo pipefail
packaging=$(dirname "$0")
name=spectrum_dump-$VERSION-windows-$2
folder=$WORK/$name texts=$WORK/windows-texts
mkdir -p "$texts" "$folder/examples"
cp "$SRC/LICENSE" "$SRC/SECURITY.md" "$texts"
python3 "$packaging/third_party.py" "$WORK/$1.log" "$WORK/$1/usr/bin/spectrum_dump.exe" \
  "$1" "windows-$2" "$texts" "$OUT/$name.cdx.json" >/dev/null
"$packaging/readme.sh" windows >"$texts/README"
# The manual without the blank lines at its start and end, where a man page has its header and
# footer.
groff -t -man -Tascii -P-cbou -rwindows=1 "$WORK/release/usr/share/man/man1/spectrum_dump.1" |
  cat -s | sed '1{/^$/d}; ${/^$/d}' >"$texts/MANUAL"
python3 "$packaging/changelog_text.py" "$SRC/CHANGELOG.md" >"$texts/CHANGELOG"
cp "$WORK/$1/usr/bin/spectrum_dump.exe" "$folder"
for text in README MANUAL CHANGELOG LICENSE SECURITY.md THIRD-PARTY-NOTICES; do
  sed 's/$/\r/' "$texts/$text" >"$folder/${text%.md}.txt"
done
cp "$SRC/examples/spectrum.bin" "$folder/examples"
sed 's/$/\r/' "$SRC/examples/spectrum.txt" >"$folder/examples/spectrum.txt"
mkdir "$folder/licenses"  # the licence texts the notices name
for text in "$texts"/licenses/*; do sed 's/$/\r/' "$text" >"$folder/licenses/${text##*/}.txt"; done
python3 "$packaging/archive.py" "$OUT/$name.zip" "$folder"
