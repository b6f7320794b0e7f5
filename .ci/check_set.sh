#!/usr/bin/env bash
# usage: check_set.sh DIR (after release_set.sh DIR): each package of the set tested as a user
# gets it (tests/packaging), and the set's runtimes checked against the archive's newest.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"
releases=$1

(cd tests/packaging && npm ci --omit=optional --no-audit --no-fund --loglevel=error)
tests/packaging/check_release.sh "$releases/set-1"
tests/packaging/check_relink.sh "$releases/set-1"
# The fresh set links the archive's newest runtimes; a record of an older glibc is listed.
packaging/outdated_runtimes.py "$releases"/set-1/spectrum_dump-*.buildinfo
sed -E 's/^( libc6-dev:amd64 \(= )[^)]+/\12.36-9+deb12u1/' "$releases"/set-1/spectrum_dump-*.buildinfo >"$releases/old"
{ packaging/outdated_runtimes.py "$releases/old" || [[ $? == 1 ]]; } | grep '^libc6-dev:amd64: linked 2\.36-9+deb12u1,'
