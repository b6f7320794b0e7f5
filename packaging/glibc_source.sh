#!/usr/bin/env bash
# usage: packaging/glibc_source.sh (a job of build_set.sh, which exports WORK and OUT)
# The GNU C Library's exact source, in OUT beside the Linux binaries that link it: the tarball of
# Debian's glibc-source package as it is, named for the Debian version (it is made after Debian's
# patch step, so it holds GNU's release with Debian's patches applied, and GNU's own name would
# promise GNU's bytes), and the package's debian folder under the same top folder, packed
# deterministically. Stops the release unless both binaries link one glibc, that of libc6-dev for
# each architecture, and glibc-source is of that version and unchanged since it was installed.
set -euo pipefail
linked=$(cat "$WORK"/built-using-* | sort -u)
[[ $linked =~ ^glibc\ \(=\ ([^\)]+)\)$ ]] ||
  { echo "glibc_source.sh: the Linux binaries link different glibc versions: $linked" >&2; exit 1; }
version=${BASH_REMATCH[1]}
for package in libc6-dev:amd64 libc6-dev:arm64 glibc-source; do
  installed=$(dpkg-query -W -f='${Version}' "$package")
  [[ $installed == "$version" ]] || {
    echo "glibc_source.sh: the binaries link glibc $version; $package is $installed" >&2
    exit 1
  }
done
if ! changed=$(dpkg --verify glibc-source) || [[ -n $changed ]]; then
  echo "glibc_source.sh: /usr/src/glibc differs from the package glibc-source: $changed" >&2
  exit 1
fi
top=glibc-${version%%-*}
cp "/usr/src/glibc/$top.tar.xz" "$OUT/glibc-$version.tar.xz"
mkdir -p "$WORK/glibc-source/$top"
cp -R /usr/src/glibc/debian "$WORK/glibc-source/$top"
python3 "$(dirname "$0")/archive.py" "$OUT/glibc-$version-debian.tar.gz" "$WORK/glibc-source/$top"
