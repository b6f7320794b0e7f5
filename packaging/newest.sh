#!/usr/bin/env bash
# usage: packaging/newest.sh (release.sh's gate for a new release, run in the build root)
# Stops a new release unless both Linux binaries will link the newest glibc and libstdc++ the
# root's package lists know (fetched when root.sh made it), and glibc-source is that glibc's. A
# rebuild skips this: it needs the recorded versions, however old.
set -euo pipefail
for package in libc6-dev:amd64 libc6-dev:arm64 glibc-source libstdc++-12-dev:amd64 libstdc++-12-dev:arm64; do
  installed=$(dpkg-query -W -f='${Version}' "$package")
  # The highest version the lists offer, not apt's candidate, which a pin can hold back.
  newest=$installed
  for offered in $(apt-cache madison "$package" | awk -F' [|] ' '{ print $2 }'); do
    dpkg --compare-versions "$offered" gt "$newest" && newest=$offered
  done
  [[ $installed == "$newest" ]] || {
    echo "newest.sh: $package is $installed, the archive's newest $newest; a new release needs the newest" >&2
    exit 1
  }
done
