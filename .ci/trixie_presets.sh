#!/usr/bin/env bash
# The suites of the release's own toolchains, which Debian 12 lacks, in a fresh Debian 13 root:
# the exe on the Universal C Runtime (ucrt64), under Wine, and aarch64 against Debian 13's arm64
# runtimes, which carry branch protection, under qemu-user.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"

packages=(cmake ninja-build g++ python3 groff-base googletest libgtest-dev
          g++-mingw-w64-ucrt64 wine wine64
          g++-aarch64-linux-gnu libc6-dev:arm64 libstdc++-14-dev:arm64 qemu-user)
log=$(mktemp)
mmdebstrap --quiet --variant=minbase --architectures=amd64,arm64 \
  --include="$(IFS=,; echo "${packages[*]}")" trixie /dev/null \
  --customize-hook="git clone --quiet '$PWD' \"\$1/src\"" \
  --customize-hook='chroot "$1" env SPECTRUM_DUMP_WARNINGS_AS_ERRORS=ON sh -c "cd /src &&
    cmake --workflow --preset windows-ucrt && cmake --workflow --preset aarch64"' \
  >"$log" 2>&1 || { cat "$log"; exit 1; }
grep -c '^100% tests passed' "$log" | grep -qx 2 || { cat "$log"; exit 1; }
rm "$log"
echo "The windows-ucrt and aarch64 suites pass on Debian 13."
