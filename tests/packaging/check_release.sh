#!/usr/bin/env bash
# usage: tests/packaging/check_release.sh OUTDIR
# Tests the release set as users get it, from the packages alone: the sums; the source tarball
# builds the tool; each archive's tool, hardened, on its example frame on its own target, with
# its licence, notices, changelog, a readme for its users and an SBOM that validates and matches
# it; the .debs hold the archives' binaries and pass lintian; and the amd64 .deb installed on a
# fresh Debian 12, where the tool runs from PATH and man finds its page.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
report=$root/examples/spectrum.txt
cd "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sha256sum --check --strict SHA256SUMS

version=$(echo spectrum_dump-*-windows-x86_64.zip | sed 's/^spectrum_dump-//; s/-windows-x86_64.zip$//')
tar -xzf "spectrum_dump-$version.tar.gz" -C "$work"
(cd "$work/spectrum_dump-$version" && cmake --preset release -DBUILD_TESTING=OFF >/dev/null &&
  cmake --build --preset release --target spectrum_dump >/dev/null &&
  cd examples && ../build/release/spectrum_dump) | cmp - "$report"

sboms=()
declare -A debian_arch=([x86_64]=amd64 [aarch64]=arm64)
for arch in x86_64 aarch64; do
  archive=spectrum_dump-$version-linux-$arch.tar.gz
  tar -xzf "$archive" -C "$work"
  folder=$work/${archive%.tar.gz}
  # static-pie with full RELRO, and stripped: position-independent, no interpreter, no symbols
  readelf -hlSdW "$folder/spectrum_dump" >"$work/elf"
  for mark in 'Type: +DYN' GNU_RELRO BIND_NOW; do grep -qE "$mark" "$work/elf"; done
  (! grep -E 'INTERP|\.symtab' "$work/elf")
  runner=$([[ $arch == "$(uname -m)" ]] || echo "qemu-$arch")
  (cd "$folder/examples" && $runner ../spectrum_dump) | cmp - "$report"
  for file in LICENSE THIRD-PARTY-NOTICES LGPL-2.1 CHANGELOG.md; do test -s "$folder/$file"; done
  (! grep -E 'apt-get|sudo|cmake' "$folder/README")  # for users, not builders
  sboms+=("${archive%.tar.gz}.cdx.json" "$folder/spectrum_dump")
  deb=spectrum-dump_${version}_${debian_arch[$arch]}.deb
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/bin/spectrum_dump | cmp - "$folder/spectrum_dump"
  built_using=$(dpkg-deb --field "$deb" Built-Using)
  [[ $built_using =~ (^|, )gcc-[0-9]+\ \(= && $built_using == *"glibc (= "* ]]
done
archive=spectrum_dump-$version-windows-x86_64.zip
python3 -m zipfile -e "$archive" "$work"
folder=$work/${archive%.zip}
for file in LICENSE THIRD-PARTY-NOTICES CHANGELOG; do test -s "$folder/$file.txt"; done
(! grep -v $'\r$' "$folder"/*.txt)  # the texts end their lines in CR LF
# The readme is for Windows users: it names the exe and a terminal, and no Linux build step.
grep -q 'spectrum_dump\.exe' "$folder/README.txt"
grep -q -i 'terminal' "$folder/README.txt"
(! grep -E 'apt-get|sudo|cmake|\.deb' "$folder/README.txt")
# Randomised addresses and NX.
x86_64-w64-mingw32-objdump -p "$folder/spectrum_dump.exe" >"$work/pe"
for mark in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do grep -q "$mark" "$work/pe"; done
(cd "$folder/examples" && sh "$root/cmake/wine-run.sh" "$work/wine" ../spectrum_dump.exe) |
  cmp - <(sed 's/$/\r/' "$report")
sboms+=("${archive%.zip}.cdx.json" "$folder/spectrum_dump.exe")
python3 "$root/tests/packaging/check_sbom.py" "${sboms[@]}"
lintian --fail-on error,warning spectrum-dump_*.deb

deb=spectrum-dump_${version}_amd64.deb
mmdebstrap --quiet --variant=minbase --include=man-db bookworm /dev/null \
  --customize-hook="copy-in '$deb' '$report' /tmp" \
  --customize-hook="chroot \"\$1\" dpkg --install '/tmp/$deb'" \
  --customize-hook='chroot "$1" sh -c "cd /usr/share/doc/spectrum-dump/examples &&
                    spectrum_dump | cmp - /tmp/spectrum.txt && man -w spectrum_dump"'
echo "The release set passes as users get it."
