#!/usr/bin/env bash
# usage: packaging/rebuild.sh [--snapshot TIMESTAMP] [--debs FOLDER] SET OUTDIR
# Rebuilds the release set in the folder SET from its own source tarball and record
# (spectrum_dump-*.buildinfo), run from that tarball unpacked, and compares the two. It checks SET
# against its SHA256SUMS; refuses, before anything is fetched or built, a record it cannot honour
# (architectures, format, a tarball or commit that is not the record's); fetches exactly the
# recorded .debs from the recorded archive, or from Debian's snapshot archive as it was at
# TIMESTAMP (for versions that have left the archive), and checks each against the record's
# SHA-256; makes the build root from them alone, refusing unless it holds exactly the recorded
# packages; builds the set from the tarball into OUTDIR with release.sh, with no network; and
# compares every file of SET with its rebuilt counterpart: byte for byte, the record field by
# field but for where and when its packages were fetched (listed, unverified, beside the
# rebuild's own), and SHA256SUMS but for the record's line. Exits 0 when all are identical;
# otherwise names each file that differs (with diffoscope's view, where installed), that SET
# lacks or that SET holds beyond the rebuild, and exits 1. --debs is a folder of .debs to look
# in first and to keep what is fetched. Run as root.
set -euo pipefail
snapshot='' debs_given=''
while (($# > 2)); do
  case $1 in
    --snapshot) snapshot=$2; shift 2 ;;
    --debs) debs_given=$2; shift 2 ;;
    *) break ;;
  esac
done
(($# == 2)) || { sed -n 2p "$0" >&2; exit 2; }
# REASON: stops before anything is fetched or built.
refuse() { echo "rebuild.sh: $*; nothing is fetched or built." >&2; exit 1; }
((EUID == 0)) || refuse "it runs as root, to make the build root"
[[ -z $snapshot || $snapshot =~ ^[0-9]{8}T[0-9]{6}Z$ ]] ||
  refuse "--snapshot $snapshot is not a time as Apt-Lists-Date writes it, YYYYMMDDTHHMMSSZ"
set=$(realpath "$1")
records=("$set"/spectrum_dump-*.buildinfo)
[[ -f ${records[0]} && ${#records[@]} == 1 ]] || refuse "$1 holds no one spectrum_dump-*.buildinfo"
record=${records[0]} record_name=${records[0]##*/}
mkdir -p "$2"
[[ -z $(ls -A "$2") ]] || refuse "$2 is not empty; give a new or empty folder"
out=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cache=$work/cache
[[ -z $debs_given ]] || cache=$(realpath "$debs_given")
mkdir -p "$cache" "$work/debs" "$work/source"

# NAME: the value of the record's field NAME, a line for each of its lines, without the
# comma that separates a list's items.
field() {
  awk -v name="$1:" '$1 == name { on = 1; sub(/^[^ ]+ ?/, ""); if ($0 != "") print; next }
    /^[^ ]/ { on = 0 } on { sub(/^ /, ""); sub(/,$/, ""); print }' "$record"
}
# NAME.deb as apt-get download names it, of PACKAGE:ARCH VERSION.
deb_name() { local name=${1%:*}; echo "${name}_${2//:/%3a}_${1##*:}.deb"; }
# The fields that say where and when the build root's packages were fetched: no rebuild can
# check them (the .debs' SHA-256 fix the packages), and a rebuild writes its own.
fetched='^(Apt-Sources|Apt-Lists-Date|Debs-Folder):'
# RECORD: the record without those fields, or (with a second argument) those fields alone.
record_part() {
  awk -v fetched="$fetched" -v keep="${2:+fetched}" '/^[^ ]/ { on = ($0 ~ fetched) == (keep != "") } on' "$1"
}

# The set against its own SHA256SUMS; the files it lacks are named after the rebuild.
sums_fail=''
if [[ -f $set/SHA256SUMS ]] && ! (cd "$set" && sha256sum --check --quiet SHA256SUMS >"$work/sums" 2>&1); then
  sums_fail=yes
  grep -v '^sha256sum: ' "$work/sums" | sed 's/^/rebuild.sh: against the set'\''s SHA256SUMS: /'
fi

# What the root root.sh makes and release.sh's build give: the targets' .deb architectures, the
# first native and the rest foreign.
read -r native foreign < <(awk '/^[^#]/ && $3 != "-" { print $3 }' "$(dirname "$0")/targets" | paste -sd' ')
for honoured in "Format 1.0" "Architecture source $native $foreign" "Build-Architecture $native" \
                "Build-Foreign-Architectures $foreign"; do
  value=$(field "${honoured%% *}")
  [[ $value == "${honoured#* }" ]] ||
    refuse "the record's ${honoured%% *} is \"$value\"; this rebuild makes \"${honoured#* }\" only"
done
alien=$(field Installed-Build-Depends | grep -Ev "^[^ ]+:($native|${foreign// /|}|all) " | paste -sd, || true)
[[ -z $alien ]] || refuse "the record lists packages of an architecture the build root lacks: $alien"
tarball=$(field Source-Tarball)
[[ $tarball == "spectrum_dump-$(field Version).tar.gz" ]] ||
  refuse "the record's Source-Tarball, $tarball, is not of its Version, $(field Version)"
field Checksums-Sha256 | awk -v name="$tarball" '$3 == name { print $1 "  " name }' >"$work/tarball.sum"
(cd "$set" && sha256sum --check --quiet "$work/tarball.sum" >/dev/null 2>&1) ||
  refuse "$tarball is not the source tarball the record names"
tar -xzf "$set/$tarball" -C "$work/source"
source=$work/source/${tarball%.tar.gz}
read -r commit _ <"$source/packaging/source-commit"
[[ $commit == "$(field Source-Commit)" ]] ||
  refuse "the record's Source-Commit is $(field Source-Commit); $tarball is of $commit"

# The recorded .debs, fetched where the folder lacks them, by their exact versions.
wanted=()
while read -r _ package version; do
  [[ -f $cache/$(deb_name "$package" "$version") ]] || wanted+=("${package%:all}=$version")
done < <(field Installed-Build-Depends-Sha256)
lists_date=''
if ((${#wanted[@]})); then
  field Apt-Sources >"$work/sources.list"
  [[ -z $snapshot ]] || sed -i -E "s|^deb https?://[^ ]*/([^/ ]+) |deb [check-valid-until=no] \
https://snapshot.debian.org/archive/\1/$snapshot |" "$work/sources.list"
  apt=(apt-get -q -o Dir::Etc::SourceList="$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
       -o Dir::State::Lists="$work/lists" -o Dir::Cache="$work/apt" -o Debug::NoLocking=1
       -o APT::Sandbox::User=root  # the folders are root's own
       -o "APT::Architecture=$native" -o "APT::Architectures::=$native" -o "APT::Architectures::=$foreign")
  mkdir -p "$work/lists/partial" "$work/apt"
  lists_date=$(date -u +%Y%m%dT%H%M%SZ)
  # apt-get update fails for a suite that is gone, and only warns when there is no network.
  "${apt[@]}" update >"$work/apt.log" 2>&1 || true
  if grep -Eq 'Temporary failure resolving|Could not (resolve|connect)|Network is unreachable|Connection timed out' \
       "$work/apt.log"; then
    grep -E '^(W|E): ' "$work/apt.log" >&2 || true
    echo "rebuild.sh: the archive cannot be reached (apt's words above; no network?), and the .debs" \
      "of ${#wanted[@]} recorded packages (${wanted[*]:0:3}${wanted[3]:+ ...}) are not in" \
      "${debs_given:-a --debs folder}: connect to the network, or give a folder that holds them" \
      "with --debs FOLDER." >&2
    exit 1
  fi
  if ! (cd "$cache" && "${apt[@]}" download "${wanted[@]}" >>"$work/apt.log" 2>&1); then
    grep -E '^(W|E): ' "$work/apt.log" >&2 || true
    again=("$0" --snapshot "$(field Apt-Lists-Date)")
    [[ -z $debs_given ]] || again+=(--debs "$debs_given")
    again+=("$1" "$2")
    if [[ -z $snapshot ]]; then
      echo "rebuild.sh: the recorded archive no longer offers all the recorded packages (apt's" \
        "words above). Debian's snapshot archive keeps every version; as it was when the record's" \
        "lists were fetched:" >&2
      printf ' %q' "${again[@]}" | sed 's/^/ /' >&2; echo >&2
    else
      echo "rebuild.sh: Debian's snapshot archive at $snapshot does not offer all the recorded" \
        "packages (apt's words above); the record's lists were fetched at $(field Apt-Lists-Date)." >&2
    fi
    echo "or, from a kept copy of the recorded .debs:" >&2
    printf ' %q' "$0" --debs FOLDER "$1" "$2" | sed 's/^/ /' >&2; echo >&2
    exit 1
  fi
fi
while read -r sha package version; do
  deb=$cache/$(deb_name "$package" "$version")
  found=$(sha256sum <"$deb")
  [[ $found == "$sha  -" ]] || {
    echo "rebuild.sh: $package (= $version): its .deb, $deb, is not the one recorded:" \
      "recorded SHA-256 $sha, found ${found%  -}" >&2
    exit 1
  }
  ln -f "$deb" "$work/debs" 2>/dev/null || cp "$deb" "$work/debs"
done < <(field Installed-Build-Depends-Sha256)

# The root from those alone, saying where they came from. The packages of the .debs, and then
# those of the root, must be those the record lists, each at its version.
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
{
  if [[ -n $lists_date ]]; then
    echo "Apt-Sources:"; sed 's/^/ /' "$work/sources.list"; echo "Apt-Lists-Date: $lists_date"
  fi
  if [[ -n $debs_given ]] && ((${#wanted[@]} < $(field Installed-Build-Depends-Sha256 | wc -l))); then
    echo "Debs-Folder: $cache"
  fi
} >"$work/origin"
"$(dirname "$0")/root.sh" "$work/root.tar" "$work/debs" "$work/origin"
tar -xOf "$work/root.tar" ./var/lib/dpkg/status |
  awk '/^Package:/ { name = $2 } /^Status:/ { status = $4 } /^Architecture:/ { arch = $2 }
    /^Version:/ { version = $2 } /^$/ && status == "installed" { print name ":" arch " (= " version ")" }' |
  recorded "the root"

"$source/packaging/release.sh" --root "$work/root.tar" --rebuild "$out" >/dev/null

# Every file of the set beside its rebuilt counterpart.
ls -A "$set" | sort >"$work/given"
ls -A "$out" | sort >"$work/rebuilt"
mapfile -t lacked < <(comm -13 "$work/given" "$work/rebuilt")
mapfile -t beyond < <(comm -23 "$work/given" "$work/rebuilt")
compared=() differ=()
while read -r name; do
  if case $name in
       "$record_name") cmp -s <(record_part "$set/$name") <(record_part "$out/$name") ;;
       SHA256SUMS) cmp -s <(grep -v "  $record_name\$" "$set/$name") <(grep -v "  $record_name\$" "$out/$name") ;;
       *) cmp -s "$set/$name" "$out/$name" ;;
     esac; then
    compared+=("$name")
  else
    differ+=("$name")
  fi
done < <(comm -12 "$work/given" "$work/rebuilt")

echo "rebuild.sh: not verified, where and when the packages were fetched (their SHA-256 are):"
record_part "$set/$record_name" fetched >"$work/given-fetched"
record_part "$out/$record_name" fetched >"$work/rebuilt-fetched"
awk 'NR == FNR { left[FNR] = $0; if (length > width) width = length; rows = FNR; next }
  { right[FNR] = $0; if (FNR > rows) rows = FNR }
  END { printf "  %-*s | %s\n", width, "the set'\''s record", "this rebuild"
        for (row = 1; row <= rows; row++) printf "  %-*s | %s\n", width, left[row], right[row] }' \
  "$work/given-fetched" "$work/rebuilt-fetched"

if [[ -z $sums_fail ]] && ((${#differ[@]} + ${#lacked[@]} + ${#beyond[@]} == 0)); then
  echo "rebuild.sh: rebuilt identical, all ${#compared[@]} files of $1: ${compared[*]}" \
    "(byte for byte, the record in every field but those above, SHA256SUMS but the record's line)."
  exit 0
fi
[[ -z $sums_fail ]] || echo "rebuild.sh: $1 fails its own SHA256SUMS (above)"
for name in "${lacked[@]}"; do echo "rebuild.sh: $name is rebuilt but $1 lacks it"; done
for name in "${beyond[@]}"; do echo "rebuild.sh: $name is in $1 but the rebuild makes no such file"; done
for name in "${differ[@]}"; do
  echo "rebuild.sh: $name differs from the rebuilt one"
  if [[ $name == "$record_name" ]]; then
    diff -u --label "$1/$name" --label "$2/$name" <(record_part "$set/$name") <(record_part "$out/$name") || true
  elif command -v diffoscope >/dev/null; then
    diffoscope "$set/$name" "$out/$name" || true
  else
    echo "  (apt-get install --no-install-recommends diffoscope, to see why)"
  fi
done
exit 1
