#!/usr/bin/env bash
# usage: packaging/require_newest_runtimes.sh (release.sh's gate for a new release, run in the
# build root)
# Stops a new release unless each Linux target will link the newest glibc and libstdc++ the
# root's package lists know (fetched when root.sh made it), and glibc-source is that glibc's. A
# rebuild skips this: it needs the recorded versions, however old.
set -euo pipefail
packages=(glibc-source)
for arch in $(awk '/^[^#]/ && $2 ~ /^linux-/ { print $3 }' "$(dirname "$0")/targets"); do
  # The libstdc++ headers and library of the root's g++, whatever its major version.
  packages+=("libc6-dev:$arch")
  mapfile -t -O "${#packages[@]}" packages < <(dpkg-query -W -f="\${db:Status-Status} \${Package}:$arch\n" \
    "libstdc++-*-dev:$arch" | awk '$1 == "installed" { print $2 }')
done
for package in "${packages[@]}"; do
  installed=$(dpkg-query -W -f='${Version}' "$package")
  # The highest version the lists offer, not apt's candidate, which a pin can hold back.
  newest=$installed
  for offered in $(apt-cache madison "$package" | awk -F' [|] ' '{ print $2 }'); do
    dpkg --compare-versions "$offered" gt "$newest" && newest=$offered
  done
  [[ $installed == "$newest" ]] || {
    echo "require_newest_runtimes.sh: $package is $installed, the archive's newest $newest;" \
      "a new release needs the newest" >&2
    exit 1
  }
done
