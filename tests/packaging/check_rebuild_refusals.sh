#!/usr/bin/env bash
# usage: tests/packaging/check_rebuild_refusals.sh SET DEBS REBUILD...
# Changes one thing at a time in a copy of the release set SET and requires the rebuild command
# REBUILD... (rebuild.sh, to which it adds --debs DEBS, the recorded .debs, the copy and an output
# folder), run with no network, to exit 1 naming the file or field changed, and, where it can
# know before building, to have built nothing; likewise for a recorded .deb changed. With a
# recorded .deb missing and the archive gone, the rebuild must end with the command that takes it
# from Debian's snapshot archive instead; with no network, it must say that.
set -euo pipefail
(($# >= 3)) || { sed -n 2p "$0" >&2; exit 2; }
set=$(realpath "$1") debs=$(realpath "$2")
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
record=$(cd "$set" && echo spectrum_dump-*.buildinfo)
version=${record#spectrum_dump-} version=${version%.buildinfo}
lists_date=$(sed -n 's/^Apt-Lists-Date: //p' "$set/$record")
# The recorded .debs but glibc's: without it, for a rebuild that must fetch; with another.
mkdir "$work/debs-without-glibc" "$work/debs-other-glibc"
for folder in debs-without-glibc debs-other-glibc; do
  cp -l "$debs"/*.deb "$work/$folder" 2>/dev/null || cp "$debs"/*.deb "$work/$folder"
  rm "$work/$folder"/libc6_*_amd64.deb
done
libc6=$(cd "$debs" && echo libc6_*_amd64.deb)
{ cat "$debs/$libc6" && echo; } >"$work/debs-other-glibc/$libc6"

# Run in the copy, as the release's build_set.sh sums a set.
resum() { rm -f SHA256SUMS && sha256sum -- * >SHA256SUMS; }
replace_deb() {  # a valid .deb of the same package, one line of its README changed
  dpkg-deb -R "spectrum-dump_${version}_amd64.deb" "$work/unpacked"
  echo "One line more." >>"$work/unpacked/usr/share/doc/spectrum-dump/README"
  dpkg-deb --root-owner-group -b "$work/unpacked" "spectrum-dump_${version}_amd64.deb" >/dev/null
  rm -r "$work/unpacked"
}
recompress() {  # the same files, packed to other bytes
  gzip -dc "$1" | gzip -1n >"$work/recompressed" && mv "$work/recompressed" "$1"
}

# What is changed, the commands that change it in the copy (without a "|"), the folder of .debs
# given, whether the rebuild can tell before building (then nothing is built), and the line it
# must print (a regex). Those refused before building come first.
tamperings=(
  "a source tarball packed again|recompress spectrum_dump-$version.tar.gz && resum|$debs|empty|^rebuild.sh: spectrum_dump-$version.tar.gz is not the source tarball the record names"
  "a package version|sed -i 's/^ libc6:amd64 (= [^)]*)/ libc6:amd64 (= 2.41-12+deb13u1)/' $record|$debs|empty|^  the record: libc6:amd64 \(= 2\.41-12\+deb13u1\)$"
  "the architecture list|sed -i 's/^Architecture: .*/& armhf/' $record|$debs|empty|^rebuild.sh: the record's Architecture is \"source amd64 arm64 armhf\""
  "a recorded .deb|true|$work/debs-other-glibc|empty|^rebuild.sh: libc6:amd64 .* is not the one recorded: recorded SHA-256 [0-9a-f]{64}, found [0-9a-f]{64}$"
  "the archive gone|sed -i 's#^ deb http://[^/]*/# deb file:/nonexistent/#' $record|$work/debs-without-glibc|empty| --snapshot $lists_date .*$work/debs-without-glibc"
  "the network gone|true|$work/debs-without-glibc|empty|^rebuild.sh: the archive cannot be reached"
  "a .deb of the set|replace_deb && resum|$debs|built|^rebuild.sh: spectrum-dump_${version}_amd64.deb differs from the rebuilt one$"
  "a file taken away|rm spectrum_dump-$version-windows-x86_64.zip SHA256SUMS|$debs|built|^rebuild.sh: spectrum_dump-$version-windows-x86_64.zip is rebuilt but .* lacks it$"
  "a file added|echo extra >extra.txt && resum|$debs|built|^rebuild.sh: extra.txt is in .* but the rebuild makes no such file$"
)
for tampering in "${tamperings[@]}"; do
  IFS='|' read -r what change given_debs built expected <<<"$tampering"
  rm -rf "$work/set" "$work/out"
  cp -R "$set" "$work/set"
  (cd "$work/set" && eval "$change")
  status=0
  unshare --net "$@" --debs "$given_debs" "$work/set" "$work/out" >"$work/log" 2>&1 || status=$?
  if ((status != 1)) || ! grep -Eq -- "$expected" "$work/log"; then
    cat "$work/log"
    echo "check_rebuild_refusals.sh: $what: the rebuild exited $status; it must exit 1 with a line" \
      "that matches \"$expected\"" >&2
    exit 1
  fi
  if [[ $built == empty && -n $(ls -A "$work/out") ]]; then
    echo "check_rebuild_refusals.sh: $what: the rebuild refused only after building" >&2
    exit 1
  fi
  echo "refused, $what:"
  grep -E -- "$expected" "$work/log" | sed 's/^/  /'
done
