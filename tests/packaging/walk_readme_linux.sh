#!/usr/bin/env bash
# usage: walk_readme_linux.sh TARBALL DEB REPORT (as root, on a fresh Debian with man-db)
# Follows the readmes, running the commands they show as they show them, so that their steps
# cannot drift from the packages: the tarball's for a new user with the download and SHA256SUMS
# in their home (check, unpack, run and compare the example, install, and in a new login run it
# by name and read the manual); then the .deb's, once it is installed.
set -euo pipefail
tarball=$1 deb=$2 report=$3
fail() { echo "walk_readme_linux: $*" >&2; exit 1; }
# FILE N: the Nth block of commands in a readme (its lines indented by four), unindented.
block() {
  awk -v n="$2" '/^    / { if (!inside) { inside = 1; ++count } if (count == n) print substr($0, 5); next }
                 { inside = 0 }' "$1"
}

useradd --create-home newcomer
cp "$tarball" "$(dirname "$tarball")/SHA256SUMS" /home/newcomer
chown -R newcomer: /home/newcomer
readme=/tmp/README
tar -xzOf "$tarball" --wildcards '*/README' >"$readme"
[[ -z $(block "$readme" 6) && -n $(block "$readme" 5) ]] || fail "the README has not five blocks"
# The first four in one login, from the download's folder: the sums' line for the download, the
# example's report, and nothing more (diff finds no difference).
for n in 1 2 3 4; do block "$readme" "$n"; done >/tmp/session
runuser -l newcomer -c 'sh -e /tmp/session' | diff - <(echo "${tarball##*/}: OK"; cat "$report")
# Logged in anew, in the example's folder (where the second went): the report, then the manual.
examples=/home/newcomer/$(block "$readme" 2 | awk '$1 == "cd" { print $2 }')
block "$readme" 5 >/tmp/session
runuser -l newcomer -c "cd '$examples' && sh -e /tmp/session" >/tmp/out
head -n "$(wc -l <"$report")" /tmp/out | cmp - "$report"
grep -qE '^ +spectrum_dump +- +show the header' /tmp/out || fail "man showed no manual"

dpkg --install "$deb" >/dev/null
readme=/usr/share/doc/spectrum-dump/README
[[ -z $(block "$readme" 2) ]] || fail "the .deb's README has more than one block"
block "$readme" 1 >/tmp/session
(cd / && sh -e /tmp/session) | cmp - "$report"
man -w spectrum_dump >/dev/null
echo "The readmes' steps work as written: the tarball's for a new user, the .deb's."
