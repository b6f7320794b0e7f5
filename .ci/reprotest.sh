#!/usr/bin/env bash
# usage: reprotest.sh DIR (after release_set.sh DIR): the release set is the same bytes however
# it is made. Built twice by Debian's reprotest in copies of the same root, on a tmpfs (which
# sizes directories unlike ext4): the second time with the clock five years ahead and another
# path, environment, PATH, home, locale, time zone, umask, CPU count and address layout, as far
# as they reach into the root; the same SHA256SUMS as the set built on disk.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"
releases=$1

mkdir "$releases/tmpfs"
mount -t tmpfs -o size=8g tmpfs "$releases/tmpfs"
trap 'umount "$releases/tmpfs"' EXIT  # also when reprotest fails
git clone --quiet "$PWD" "$releases/tmpfs/source"
(cd "$releases/tmpfs/source" && TMPDIR="$releases/tmpfs" reprotest --store-dir="$releases/reprotest" \
  --vary=-user_group,-domain_host,-fileordering,-kernel,time.faketimes+=@$(($(date +%s) + 5 * 365 * 86400)) \
  "packaging/release.sh --root '$releases/root.tar' out >/dev/null" 'out/*')
umount "$releases/tmpfs"
trap - EXIT
diff "$releases/set-1/SHA256SUMS" "$releases/reprotest/control/source-root/out/SHA256SUMS"
