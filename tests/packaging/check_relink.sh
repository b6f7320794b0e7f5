#!/usr/bin/env bash
# usage: tests/packaging/check_relink.sh OUTDIR
# Follows the Linux archives' notices word for word to relink the tool against a changed GNU C
# Library, for each Linux target: a copy of the glibc the release links, laid out as the notices
# ask, whose libc.a member defining fwrite (which the tool calls to write its report) also writes
# a marker line at start-up. The relinked tool must print the marker, then its usual report.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
report=$root/examples/spectrum.txt
marker="relinked against a changed glibc"
cd "$1"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
version=$(echo spectrum_dump-*-windows-x86_64.zip | sed 's/^spectrum_dump-//; s/-windows-x86_64.zip$//')
declare -A debian_arch=([x86_64]=amd64 [aarch64]=arm64)
for arch in x86_64 aarch64; do
  triple=$arch-linux-gnu glibc=$work/glibc-$arch/lib
  mkdir -p "$glibc" "$work/$arch"
  dpkg -L "libc6-dev:${debian_arch[$arch]}" | grep -E "^/usr/lib/$triple/[^/]+\.(a|o|so)$" |
    xargs cp -P -t "$glibc"
  printf '#include <unistd.h>\n__attribute__((constructor)) static void marker(void) {
    if (write(1, "%s\\n", %d)) {} }\n' "$marker" $((${#marker} + 1)) >"$work/marker.c"
  (cd "$work/$arch" && "$triple-gcc" -O2 -fPIE -c "$work/marker.c" &&
    "$triple-ar" x "$glibc/libc.a" iofwrite.o && "$triple-ld" -r iofwrite.o marker.o -o changed.o &&
    mv changed.o iofwrite.o && "$triple-ar" r "$glibc/libc.a" iofwrite.o)

  notices=$work/$arch/THIRD-PARTY-NOTICES
  tar -xzf "spectrum_dump-$version-linux-$arch.tar.gz" -O "spectrum_dump-$version-linux-$arch/THIRD-PARTY-NOTICES" >"$notices"
  tar -xzf "spectrum_dump-$version.tar.gz" -C "$work/$arch"
  sed -n '/^Relinking against another GNU C Library/,$s/^    //p' "$notices" |
    sed "s|/path/to/glibc/lib|$glibc|" >"$work/$arch/relink"
  tool=$(sed -n 's/^  The relinked tool is \(.*\)\.$/\1/p' "$notices")
  (cd "$work/$arch/spectrum_dump-$version" && bash -e "$work/$arch/relink" >"$work/$arch/log" 2>&1) ||
    { cat "$work/$arch/log"; exit 1; }
  runner=$([[ $arch == "$(uname -m)" ]] || echo "qemu-$arch")
  (cd "$work/$arch/spectrum_dump-$version/examples" && $runner "../$tool") >"$work/$arch/out"
  cmp "$work/$arch/out" <(echo "$marker"; cat "$report")
  echo "$arch: the tool relinked as the notices say prints the changed glibc's marker."
done
