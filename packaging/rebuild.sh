#!/usr/bin/env bash
# usage: packaging/rebuild.sh [--snapshot TIMESTAMP] [--debs FOLDER] SET OUTDIR
# Rebuilds a release set from its own files, run from the unpacked source tarball of that set:
# takes the set's record (spectrum_dump-*.buildinfo) and its source tarball, fetches exactly the
# recorded .debs from the recorded archive, or from Debian's snapshot archive as it was at
# TIMESTAMP (for versions that have left the archive), checks each against the record's
# SHA-256, makes the build root from them alone, refuses unless that root holds exactly the
# recorded packages, builds the set from the tarball into OUTDIR with release.sh, with no
# network, and compares every file with the record's SHA-256, and the record with the set's.
# Exits 0 when all are identical; otherwise names each file that differs and, where SET holds it
# too, shows why with diffoscope. --debs is a folder of .debs to look in first and to keep what
# is fetched. Run as root.
set -euo pipefail
snapshot='' cache=''
while (($# > 2)); do
  case $1 in
    --snapshot) snapshot=$2; shift 2 ;;
    --debs) cache=$(realpath "$2"); shift 2 ;;
    *) break ;;
  esac
done
(($# == 2)) || { sed -n 2p "$0" >&2; exit 2; }
set=$(realpath "$1")
records=("$set"/spectrum_dump-*.buildinfo)
[[ -f ${records[0]} && ${#records[@]} == 1 ]] || { echo "rebuild.sh: $1 holds no one spectrum_dump-*.buildinfo" >&2; exit 1; }
record=${records[0]}
mkdir -p "$2"  # release.sh requires it empty
out=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cache=${cache:-$work/cache}
mkdir -p "$cache" "$work/debs" "$work/source"

# NAME: the value of the record's field NAME, a line for each of its lines, without the comma
# that separates a list's items.
field() {
  awk -v name="$1:" '$1 == name { on = 1; sub(/^[^ ]+ ?/, ""); if ($0 != "") print; next }
    /^[^ ]/ { on = 0 } on { sub(/^ /, ""); sub(/,$/, ""); print }' "$record"
}
# NAME.deb as apt-get download names it, of PACKAGE:ARCH VERSION.
deb_name() { local name=${1%:*}; echo "${name}_${2//:/%3a}_${1##*:}.deb"; }

tarball=$(field Source-Tarball)
field Checksums-Sha256 | awk -v name="$tarball" '$3 == name { print $1 "  " name }' >"$work/tarball.sum"
(cd "$set" && sha256sum --check --quiet "$work/tarball.sum") ||
  { echo "rebuild.sh: $tarball is not the source tarball the record names" >&2; exit 1; }

# The recorded .debs, fetched where the folder lacks them, by their exact versions.
wanted=()
while read -r _ package version; do
  [[ -f $cache/$(deb_name "$package" "$version") ]] || wanted+=("${package%:all}=$version")
done < <(field Installed-Build-Depends-Sha256)
if ((${#wanted[@]})); then
  field Apt-Sources >"$work/sources.list"
  [[ -z $snapshot ]] || sed -i -E "s|^deb https?://[^ ]*/([^/ ]+) |deb [check-valid-until=no] \
https://snapshot.debian.org/archive/\1/$snapshot |" "$work/sources.list"
  apt=(apt-get -q -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
       -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/apt" -o Debug::NoLocking=1
       -o APT::Sandbox::User=root  # the folders are root's own
       -o APT::Architecture=amd64 -o APT::Architectures::=amd64 -o APT::Architectures::=arm64)
  mkdir -p "$work/lists/partial" "$work/apt"
  "${apt[@]}" update >/dev/null
  (cd "$cache" && "${apt[@]}" download "${wanted[@]}" >/dev/null) || {
    echo "rebuild.sh: the archive lacks a recorded version (apt names it above); Debian's" \
      "snapshot archive keeps every version: rebuild.sh --snapshot $(field Apt-Lists-Date) ..." >&2
    exit 1
  }
fi
while read -r sha package version; do
  deb=$cache/$(deb_name "$package" "$version")
  [[ $(sha256sum <"$deb") == "$sha  -" ]] ||
    { echo "rebuild.sh: $package (= $version): its .deb is not the one recorded, $sha" >&2; exit 1; }
  ln -f "$deb" "$work/debs" 2>/dev/null || cp "$deb" "$work/debs"
done < <(field Installed-Build-Depends-Sha256)

# The root from those alone, with the recorded origin. The packages of the .debs, and then those
# of the root, must be those the record lists, each at its version.
field Installed-Build-Depends | sort >"$work/recorded"
recorded() {  # WHAT: refuses unless the lines "name:arch (= version)" on input are the recorded
  sort >"$work/found"
  cmp -s "$work/recorded" "$work/found" && return
  echo "rebuild.sh: $1 and the record differ, so nothing is built:" >&2
  comm -23 "$work/recorded" "$work/found" | sed 's/^/  the record: /' >&2
  comm -13 "$work/recorded" "$work/found" | sed "s/^/  $1: /" >&2
  exit 1
}
for deb in "$work"/debs/*.deb; do
  dpkg-deb --show --showformat='${Package}:${Architecture} (= ${Version})\n' "$deb"
done | recorded "the .debs"
awk '/^Apt-(Sources|Lists-Date):/ { on = 1; print; next } /^[^ ]/ { on = 0 } on' "$record" >"$work/origin"
"$(dirname "$0")/root.sh" "$work/root.tar" "$work/debs" "$work/origin"
tar -xOf "$work/root.tar" ./var/lib/dpkg/status |
  awk '/^Package:/ { name = $2 } /^Status:/ { status = $4 } /^Architecture:/ { arch = $2 }
    /^Version:/ { version = $2 } /^$/ && status == "installed" { print name ":" arch " (= " version ")" }' |
  recorded "the root"

tar -xzf "$set/$tarball" -C "$work/source"
"$work/source/${tarball%.tar.gz}/packaging/release.sh" --root "$work/root.tar" --rebuild "$out" >/dev/null

# Every file of the set: each the record sums, the record, and the set's SHA256SUMS if it has one.
differ=()
while read -r sha _ name; do
  [[ -f $out/$name && $(sha256sum <"$out/$name") == "$sha  -" ]] || differ+=("$name")
done < <(field Checksums-Sha256)
for name in "${record##*/}" SHA256SUMS; do
  [[ ! -f $set/$name ]] || cmp -s "$set/$name" "$out/$name" || differ+=("$name")
done
if ((${#differ[@]} == 0)); then
  echo "rebuild.sh: every file of the set is rebuilt identical, $(wc -l <"$out/SHA256SUMS") files."
  exit 0
fi
for name in "${differ[@]}"; do
  echo "rebuild.sh: $name differs from the set's"
  if [[ ! -f $set/$name ]]; then
    echo "  (the set's copy is not in $1 to compare with)"
  elif command -v diffoscope >/dev/null; then
    diffoscope "$set/$name" "$out/$name" || true
  else
    echo "  (apt-get install --no-install-recommends diffoscope, to see why)"
  fi
done
exit 1
