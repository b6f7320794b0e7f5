#!/usr/bin/env bash
# usage: tests/packaging/check_release.sh OUTDIR
# Tests the release set as users get it, from the packages alone: the sums and the record of the
# build; the source tarball builds the tool; each archive's tool, hardened, on its example frame
# on its own target, with its licence, notices, changelog, security policy, a readme for its users
# and an SBOM that validates and matches it; the .debs hold the archives' binaries, with a
# copyright file in strict DEP-5, and pass lintian. Then each readme's steps, as written, with the
# manual's recipe for many captures, updating and removing: the zip's under Wine, the x86-64
# tarball's and the amd64 .deb's on a fresh Debian 12, the oldest Debian they run on.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
report=$root/examples/spectrum.txt
cd "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sha256sum --check --strict SHA256SUMS
"$root/tests/packaging/check_buildinfo.py" .

version=$(echo spectrum_dump-*-windows-x86_64.zip | sed 's/^spectrum_dump-//; s/-windows-x86_64.zip$//')
tar -xzf "spectrum_dump-$version.tar.gz" -C "$work"
# The source carries licence information for every file, and no compiled Python.
(cd "$work/spectrum_dump-$version" && reuse lint --quiet)
(! tar -tzf "spectrum_dump-$version.tar.gz" | grep -E '__pycache__|\.py[co]$')
(cd "$work/spectrum_dump-$version" && cmake --preset release -DBUILD_TESTING=OFF >/dev/null &&
  cmake --build --preset release --target spectrum_dump >/dev/null &&
  cd examples && ../build/release/spectrum_dump) | cmp - "$report"

# FOLDER NOTICES: every licence text the notices name is a file in FOLDER/licenses, and they
# point to no path outside the archive.
licence_texts() {
  sed -n 's/^ *Licence texts: //p' "$2" | tr -d '\r' | tr ',' '\n' |
    while read -r text; do test -s "$1/licenses/$text"; done
  (! grep /usr/share "$2")
}

sboms=()
declare -A debian_arch=([x86_64]=amd64 [aarch64]=arm64)
for arch in x86_64 aarch64; do
  archive=spectrum_dump-$version-linux-$arch.tar.gz
  tar -xzf "$archive" -C "$work"
  folder=$work/${archive%.tar.gz}
  # static-pie with full RELRO, and stripped: position-independent, no interpreter, no symbols
  readelf -hlSdW "$folder/spectrum_dump" >"$work/elf"
  for mark in 'Type: +DYN' GNU_RELRO BIND_NOW; do grep -qE "$mark" "$work/elf"; done
  (! grep -E 'INTERP|\.symtab|\.comment' "$work/elf")
  # Read-only data apart from code: no executable segment holds .rodata.
  readelf -lW "$folder/spectrum_dump" | awk '/^Program Headers:/ { headers = 1; next }
    headers && /^ +[A-Z_]+ / && $1 != "Type" { executable[n++] = / R E / } /Section to Segment/ { headers = 0 }
    $1 ~ /^[0-9]+$/ && executable[$1 + 0] && / \.rodata / { bad = 1 } END { exit bad }'
  # The package note names the package, its version and architecture, and the Debian release.
  readelf -n "$folder/spectrum_dump" >"$work/notes"
  note="\"name\":\"spectrum-dump\",\"version\":\"$version\",\"architecture\":\"${debian_arch[$arch]}\""
  grep -qE "^ +Packaging Metadata: \\{\"type\":\"deb\",$note,\"osCpe\":\"cpe:/o:debian:debian_linux:[0-9]+\"\\}$" \
    "$work/notes"
  # arm64: signed return addresses and branch targets, which the linker marks only when every
  # linked object is built so.
  [[ $arch != aarch64 ]] || grep -q 'AArch64 feature: BTI, PAC$' "$work/notes"
  runner=$([[ $arch == "$(uname -m)" ]] || echo "qemu-$arch")
  (cd "$folder/examples" && $runner ../spectrum_dump) | cmp - "$report"
  cmp "$folder/examples/spectrum.txt" "$report"
  for file in LICENSE THIRD-PARTY-NOTICES CHANGELOG.md SECURITY.md; do test -s "$folder/$file"; done
  licence_texts "$folder" "$folder/THIRD-PARTY-NOTICES"
  (! grep -E 'apt-get|sudo|cmake' "$folder/README")  # for users, not builders
  # The same readme for each processor, so that walking one walks both.
  diff <(sed "s/$arch/x86_64/g" "$folder/README") "$work/spectrum_dump-$version-linux-x86_64/README"
  sboms+=("${archive%.tar.gz}.cdx.json" "$folder/spectrum_dump")
  deb=spectrum-dump_${version}_${debian_arch[$arch]}.deb
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/bin/spectrum_dump | cmp - "$folder/spectrum_dump"
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/spectrum-dump/copyright >"$work/copyright"
  "$root/tests/packaging/check_copyright.py" "$work/copyright" "spectrum_dump-$version.tar.gz"
  dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/spectrum-dump/SECURITY.md | cmp - "$folder/SECURITY.md"
  built_using=$(dpkg-deb --field "$deb" Built-Using)
  # Only the GNU C Library's licence asks for its source: it is in the set, by its version.
  [[ $built_using =~ ^glibc\ \(=\ ([^\)]+)\)$ ]]
  for file in "glibc-${BASH_REMATCH[1]}-debian.tar.gz" "glibc-${BASH_REMATCH[1]}.tar.xz"; do
    grep -q "  $file\$" SHA256SUMS && grep -q "$file" "$folder/THIRD-PARTY-NOTICES"
  done
done
archive=spectrum_dump-$version-windows-x86_64.zip
folder=$work/${archive%.zip}  # where Explorer's "Extract All" unpacks it by default
python3 -m zipfile -e "$archive" "$folder"
for file in LICENSE THIRD-PARTY-NOTICES CHANGELOG SECURITY; do test -s "$folder/$file.txt"; done
licence_texts "$folder" "$folder/THIRD-PARTY-NOTICES.txt"
# The texts end their lines in CR LF.
(! grep -v $'\r$' "$folder"/*.txt "$folder"/licenses/*.txt "$folder/examples/spectrum.txt")
cmp "$folder/examples/spectrum.txt" <(sed 's/$/\r/' "$report")
# Plain text as Notepad shows it: the readme within 80 columns, the changelog without Markdown,
# the manual written for Windows users, without a man page's header, sections or internals.
tr -d '\r' <"$folder/README.txt" | awk 'length > 80 { print; bad = 1 } END { exit bad }'
(! grep -E '^#|\]\(' "$folder/CHANGELOG.txt")
# The changelog and the security policy name files as the zip ships them, and no Linux paths or
# Debian advisory jargon.
(! grep -E '\.md\b|~/|/usr/|docs/|packaging/|\bDSA' "$folder/CHANGELOG.txt" "$folder/SECURITY.txt")
(! grep -E 'SIGPIPE|Unix|Linux|^ +\$ |echo \$\?|find \.|[a-z]\([0-9]\)|User Commands|SYNOPSIS|SEE ALSO|seeks' \
  "$folder/MANUAL.txt")
grep -q 'ERRORLEVEL' "$folder/MANUAL.txt" && grep -q 'LASTEXITCODE' "$folder/MANUAL.txt"
# The readme is for Windows users: it names the exe and a terminal, and no Linux build step.
grep -q 'spectrum_dump\.exe' "$folder/README.txt"
grep -q -i 'terminal' "$folder/README.txt"
(! grep -E 'apt-get|sudo|cmake|\.deb' "$folder/README.txt")
# Randomised addresses and NX; the stack protector, its canary drawn from CryptGenRandom and its
# handler linked, and the handler of fortified calls linked (the tool's own code has no call to
# fortify yet).
x86_64-w64-mingw32-objdump -p "$folder/spectrum_dump.exe" >"$work/pe"
for mark in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT CryptGenRandom; do grep -q "$mark" "$work/pe"; done
for handler in 'stack smashing' 'buffer overflow'; do
  grep -aq "\*\*\* $handler detected \*\*\*" "$folder/spectrum_dump.exe"
done
sboms+=("${archive%.zip}.cdx.json" "$folder/spectrum_dump.exe")
python3 "$root/tests/packaging/check_sbom.py" "${sboms[@]}"
"$root/tests/packaging/validate_sbom.js" ./*.cdx.json
lintian --fail-on error,warning spectrum-dump_*.deb

# The manuals' recipes for many captures run over these, in each walk.
for os in windows posix; do
  (cd "$root" && python3 -B -m tests.fixtures --captures "$work/$os" $os)
done
"$root/tests/packaging/walk_readme_windows.sh" "$archive" "$work/wine" "$report" "$work/windows"
tarball=spectrum_dump-$version-linux-x86_64.tar.gz deb=spectrum-dump_${version}_amd64.deb
mmdebstrap --quiet --variant=minbase --include=man-db,sudo bookworm /dev/null \
  --customize-hook="copy-in '$tarball' SHA256SUMS '$deb' '$report' '$work/posix' \
                    '$root/tests/packaging/walk_readme_linux.sh' /tmp" \
  --customize-hook="chroot \"\$1\" bash /tmp/walk_readme_linux.sh '/tmp/$tarball' '/tmp/$deb' \
                    /tmp/spectrum.txt /tmp/posix"
echo "The release set passes as users get it."
