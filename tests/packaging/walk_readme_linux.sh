#!/usr/bin/env bash
# usage: walk_readme_linux.sh TARBALL DEB REPORT CAPTURES (as root, on a fresh Debian with man-db
# and sudo)
# Follows the readmes, running the commands they show as they show them, so that their steps
# cannot drift from the packages: the tarball's for a new user with the download and SHA256SUMS
# in their home (check, unpack, run and compare the example, install, and in a new login run it
# by name and read the manual), with the manual's recipe for many captures run over CAPTURES
# (written by fixtures.py --captures), its update over an old tool and its removal; then the
# .deb's: install, run, show the version, remove. After each removal nothing of it is left.
set -euo pipefail
tarball=$1 deb=$2 report=$3 captures=$4
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
[[ -z $(block "$readme" 7) && -n $(block "$readme" 6) ]] || fail "the README has not six blocks"
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

# The manual's recipe, in a new login, over the captures: each report beside its capture, the
# failing and the warned directories named, the counts, and the status (1 when any failed); then
# where there is no capture: the counts alone, and status 0.
awk '/^ +\$ find / { on = 1; sub(/\$ /, "") } on && /^$/ { exit } on { print }' /tmp/out >/tmp/recipe
cp -R "$captures/tree" /tmp/captures && chown -R newcomer: /tmp/captures
status=0
runuser -l newcomer -c 'cd /tmp/captures && sh -e /tmp/recipe' >/tmp/console || status=$?
sed -E 's#^(Failed|Warned): /tmp/captures/#\1: #' /tmp/console | LC_ALL=C sort | diff - "$captures/console.txt"
[[ $status == "$(grep -q '^Failed: ' "$captures/console.txt" && echo 1 || echo 0)" ]] ||
  fail "the recipe's status is $status"
diff -r "$captures/want" /tmp/captures
cat /tmp/console
mkdir /tmp/no-captures && chown newcomer: /tmp/no-captures
runuser -l newcomer -c 'cd /tmp/no-captures && sh -e /tmp/recipe' | diff - <(echo "0 failed, 0 warned")

# Updating over an old tool: the first four blocks again, as the README says.
echo old >/home/newcomer/.local/bin/spectrum_dump
for n in 1 2 3 4; do block "$readme" "$n"; done >/tmp/session
runuser -l newcomer -c 'sh -e /tmp/session' | diff - <(echo "${tarball##*/}: OK"; cat "$report")
runuser -l newcomer -c "cd '$examples' && spectrum_dump" | cmp - "$report"
# Removing: nothing is left of what was installed.
block "$readme" 6 | runuser -l newcomer -c 'sh -e'
[[ -z $(find /home/newcomer/.local -type f) ]] || fail "the install is left: $(find /home/newcomer/.local -type f)"

# The .deb's README, read from the package: install it as it says, run the example, remove it.
readme=/tmp/README.deb
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/spectrum-dump/README >"$readme"
[[ -z $(block "$readme" 5) ]] || fail "the .deb's README has more than four blocks"
echo 'APT::Get::Assume-Yes "true";' >/etc/apt/apt.conf.d/90walk  # the user's "yes"
block "$readme" 2 | (cd "$(dirname "$deb")" && sh -e) >/dev/null 2>&1
block "$readme" 1 | (cd / && sh -e) | cmp - "$report"
man -w spectrum_dump >/dev/null
version=$(dpkg-deb --field "$deb" Version)
block "$readme" 4 | sh -e | grep -qx "Version: $version" || fail "no version $version shown"
installed=$(dpkg -L spectrum-dump)
block "$readme" 3 | sh -e >/dev/null 2>&1
for path in $installed; do [[ -d $path || ! -e $path ]] || fail "$path is left"; done
[[ ! -e /usr/share/doc/spectrum-dump ]] || fail "the package's folder is left"
echo "The readmes' steps work as written: the tarball's for a new user, the .deb's."
