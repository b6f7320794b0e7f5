#!/usr/bin/env bash
# usage: packaging/glibc_source.sh (a job of release.sh, which exports WORK and OUT)
# The GNU C Library's exact source, in OUT beside the Linux binaries that link it: the upstream
# tarball of Debian's glibc-source package as it is, and the package's debian folder, with
# Debian's patches, packed deterministically. Stops the release unless both binaries link one
# glibc, the newest the package archive has for each architecture (as of the last apt-get update),
# and glibc-source is of that version.
set -euo pipefail
linked=$(cat "$WORK/built-using-x86_64" "$WORK/built-using-aarch64" | sort -u)
[[ $linked =~ ^glibc\ \(=\ ([^\)]+)\)$ ]] ||
  { echo "glibc_source.sh: the Linux binaries link different glibc versions: $linked" >&2; exit 1; }
version=${BASH_REMATCH[1]}
for package in libc6-dev:amd64 libc6-dev:arm64 glibc-source; do
  installed=$(dpkg-query -W -f='${Version}' "$package")
  newest=$(apt-cache policy "$package" | sed -n 's/^ *Candidate: //p')
  [[ $installed == "$version" && $newest == "$version" ]] || {
    echo "glibc_source.sh: the binaries link glibc $version; $package is $installed, the archive's newest $newest" >&2
    exit 1
  }
done
cp "/usr/src/glibc/glibc-${version%%-*}.tar.xz" "$OUT"
mkdir "$WORK/glibc-source"
cp -R /usr/src/glibc/debian "$WORK/glibc-source"
python3 "$(dirname "$0")/archive.py" "$OUT/glibc-$version-debian.tar.gz" "$WORK/glibc-source/debian"
