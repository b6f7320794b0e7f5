#!/usr/bin/env bash
# usage: stranger_rebuild.sh DIR (after release_set.sh DIR): a stranger's rebuild from the set's
# own files, the source tarball and the record alone, with the rebuild script from inside the
# tarball, in a second root made from the recorded .debs, with no network at all: every file
# identical, the tarball too. A record that names another glibc makes it refuse before building,
# naming the package.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"
releases=$1

record=$(echo "$releases"/set-1/*.buildinfo)
tarball=$(sed -n 's/^Source-Tarball: //p' "$record")
mkdir "$releases/given" "$releases/changed" "$releases/source"
cp "$record" "$releases/set-1/$tarball" "$releases/given"
tar -xzf "$releases/given/$tarball" -C "$releases/source"
rebuild=("$releases/source/${tarball%.tar.gz}/packaging/rebuild.sh" --debs "$releases/debs")
time unshare --net "${rebuild[@]}" "$releases/given" "$releases/rebuilt"
diff "$releases/set-1/SHA256SUMS" "$releases/rebuilt/SHA256SUMS"
sed 's/^ libc6:amd64 (= [^)]*)/ libc6:amd64 (= 2.36-9+deb12u7)/' "$record" >"$releases/changed/${record##*/}"
cp "$releases/set-1/$tarball" "$releases/changed"
if unshare --net "${rebuild[@]}" "$releases/changed" "$releases/refused" 2>"$releases/refused.log"; then
  echo "The rebuild went ahead with a record that names another glibc" >&2
  exit 1
fi
cat "$releases/refused.log"
grep -q '^  the record: libc6:amd64 (= 2.36-9+deb12u7)$' "$releases/refused.log"
[[ -z $(ls -A "$releases/refused") ]]  # nothing built
