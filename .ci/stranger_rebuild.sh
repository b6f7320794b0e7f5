#!/usr/bin/env bash
# usage: stranger_rebuild.sh DIR (after release_set.sh DIR): a stranger's rebuild of the set with
# the rebuild script from inside its source tarball, in a second root made from the recorded
# .debs, with no network at all: every file identical, by the script's word and by the set's own
# SHA256SUMS (the record's line apart: it says where the rebuild's packages came from). Then
# every change to the set's files or record is refused, naming what changed.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"
releases=$1

tarball=$(sed -n 's/^Source-Tarball: //p' "$releases"/set-1/*.buildinfo)
mkdir "$releases/source"
tar -xzf "$releases/set-1/$tarball" -C "$releases/source"
rebuild=$releases/source/${tarball%.tar.gz}/packaging/rebuild.sh
time unshare --net "$rebuild" --debs "$releases/debs" "$releases/set-1" "$releases/rebuilt"
(cd "$releases/rebuilt" && grep -v '\.buildinfo$' "$releases/set-1/SHA256SUMS" | sha256sum --check --quiet)
tests/packaging/check_rebuild_refusals.sh "$releases/set-1" "$releases/debs" "$rebuild"
