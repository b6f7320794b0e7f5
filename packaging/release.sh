#!/usr/bin/env bash
# usage: packaging/release.sh [--root TARBALL] [--rebuild] OUTDIR
# Makes the release set of the committed sources in OUTDIR, a new or empty folder: the source
# tarball; static, stripped Linux builds for x86-64 and aarch64 as .tar.gz and .deb, the Windows
# x86-64 exe as .zip, each with the licence and the notices of what it links, and an SBOM per
# binary; the source of the glibc they link; the record of the build; and SHA256SUMS.
# It exports HEAD (or, where there is no repository, takes this unpacked source tarball as it
# is) and builds it in a fresh minimal Debian root that root.sh makes, or in a copy of the root
# TARBALL root.sh made before, with no network, at a fixed path, with a pinned environment, so
# that any rebuild of the same commit in a root of the same packages gives the same bytes. A new
# release needs the newest glibc and libstdc++ the root's package lists know; a --rebuild (of
# rebuild.sh) needs its root's recorded versions and not the newest. Run as root.
set -euo pipefail
root_tarball='' rebuild=''
while (($# > 1)); do
  case $1 in
    --root) root_tarball=$(realpath "$2"); shift 2 ;;
    --rebuild) rebuild=yes; shift ;;
    *) break ;;
  esac
done
(($# == 1)) || { sed -n 2p "$0" >&2; exit 2; }
packaging=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$1"
# SHA256SUMS sums the whole folder, which an old set's files would join.
[[ -z $(ls -A "$1") ]] || { echo "release.sh: $1 is not empty; give a new or empty folder" >&2; exit 1; }
OUT=$(cd "$1" && pwd)
umask 022
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# The source: git's export of HEAD, or this unpacked export of it; source-commit names the commit
# and its time, which git's export-subst writes into it (.gitattributes).
top=$(dirname "$packaging")
mkdir "$WORK/export"
if [[ -e $top/.git ]]; then
  git -C "$top" archive HEAD | tar -x -C "$WORK/export"
else
  cp -R "$top/." "$WORK/export"
fi
read -r COMMIT SOURCE_DATE_EPOCH <"$WORK/export/packaging/source-commit"
[[ $COMMIT =~ ^[0-9a-f]{40}$ ]] ||
  { echo "release.sh: $top is neither a git repository nor an export of a commit" >&2; exit 1; }
VERSION=$(sed -n '/^project(/,/)/s/^ *VERSION \([^ )]*\).*/\1/p' "$WORK/export/CMakeLists.txt")
[[ -n $VERSION ]] || { echo "release.sh: no VERSION in project() of CMakeLists.txt" >&2; exit 1; }

if [[ -z $root_tarball ]]; then
  root_tarball=$WORK/root.tar
  "$packaging/root.sh" "$root_tarball"
fi
root=$WORK/root
mkdir "$root"
tar -x -C "$root" -f "$root_tarball"
mv "$WORK/export" "$root/build/spectrum_dump-$VERSION"

# COMMAND...: run in the root, which alone it sees, with no network and the pinned environment
# (the commit's build-environment).
# A clock faked from outside (reprotest's faketime) is carried in.
in_root() {
  local carried=() name lib preloaded=''
  for name in $(compgen -e | grep -E '^(LD_PRELOAD|FAKETIME)'); do carried+=("$name=${!name}"); done
  for lib in ${LD_PRELOAD-}; do
    lib=${lib//\$LIB/lib/$(uname -m)-linux-gnu}  # as Debian's ld.so reads $LIB
    mkdir -p "$root${lib%/*}" && touch "$root$lib" && preloaded+=" $lib"
  done
  unshare --mount --net --fork bash -c 'root=$1 preloaded=$2; shift 2
    mount -t proc proc "$root/proc" && mount --rbind /dev "$root/dev"
    for lib in $preloaded; do mount --bind "$lib" "$root$lib"; done
    exec chroot "$root" "$@"' in_root "$root" "$preloaded" \
    env -i "${pinned[@]}" SOURCE_DATE_EPOCH="$SOURCE_DATE_EPOCH" COMMIT="$COMMIT" VERSION="$VERSION" \
    "${carried[@]}" "$@"
}
mapfile -t pinned < <(grep '^[^#]' "$root/build/spectrum_dump-$VERSION/packaging/build-environment")
[[ -n $rebuild ]] || in_root "/build/spectrum_dump-$VERSION/packaging/require_newest_runtimes.sh"
in_root "/build/spectrum_dump-$VERSION/packaging/build_set.sh"
cp "$root/build/out/"* "$OUT"
cat "$OUT/SHA256SUMS"
