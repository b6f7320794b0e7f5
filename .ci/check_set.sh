#!/usr/bin/env bash
# usage: check_set.sh DIR (after release_set.sh DIR): each package of the set tested as a user
# gets it (tests/packaging), and the set's runtimes checked against the newest of the Debian
# release it links, in a fresh root of that release, whose lists are today's.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"
releases=$1

(cd tests/packaging && npm ci --omit=optional --no-audit --no-fund --loglevel=error)
tests/packaging/check_release.sh "$releases/set-1"
tests/packaging/check_relink.sh "$releases/set-1"
# The fresh set links the archive's newest runtimes; a record of an older glibc is listed.
record=$(echo "$releases"/set-1/spectrum_dump-*.buildinfo)
sed -E 's/^( libc6-dev:amd64 \(= )[^)]+/\12.41-12+deb13u1/' "$record" >"$releases/old"
# The root gets the record's own sources, today's lists of the release it links.
mapfile -t sources < <(sed -n '/^Apt-Sources:/,/^[^ ]/s/^ //p' "$record")
read -r _ _ suite _ <<<"${sources[0]}"
mmdebstrap --quiet --variant=apt --architectures="$(sed -n 's/^Build-Architecture: //p' "$record"),$(
    sed -n 's/^Build-Foreign-Architectures: //p' "$record" | tr ' ' ,)" \
  --include=python3-apt,python3-debian \
  --customize-hook="copy-in '$record' '$releases/old' packaging/outdated_runtimes.py /tmp" \
  --customize-hook="chroot \"\$1\" python3 /tmp/outdated_runtimes.py '/tmp/${record##*/}'" \
  --customize-hook='{ chroot "$1" python3 /tmp/outdated_runtimes.py /tmp/old || [ $? = 1 ]; } |
    grep "^libc6-dev:amd64: linked 2\.41-12+deb13u1,"' \
  "$suite" /dev/null "${sources[@]}"
