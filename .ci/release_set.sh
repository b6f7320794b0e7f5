#!/usr/bin/env bash
# usage: release_set.sh DIR: the build root (DIR/root.tar, its .debs kept in DIR/debs for the
# rebuild) and the release set built in it from a clone of this one (DIR/set-1), on this disk.
# The later release stages take them from DIR.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"
releases=$1

packaging/root.sh "$releases/root.tar" "$releases/debs"
git clone --quiet "$PWD" "$releases/first"
(cd "$releases/first" && packaging/release.sh --root "$releases/root.tar" "$releases/set-1")
