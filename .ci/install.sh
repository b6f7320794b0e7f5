#!/usr/bin/env bash
# Installs what CI needs and is missing, Debian, non-interactive. The package lists are always
# updated: the release stops unless it links the newest glibc the archive has.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"

packages=(
  cmake ninja-build g++ libgtest-dev python3
  g++-mingw-w64-x86-64-posix wine64 googletest          # Windows, tested under Wine
  g++-s390x-linux-gnu g++-aarch64-linux-gnu qemu-user   # s390x and aarch64, under qemu-user
  libc6-dev:arm64 libstdc++-12-dev:arm64                # aarch64 against Debian's own arm64 glibc
  g++-i686-linux-gnu libc6:i386 libstdc++6:i386         # 32-bit x86, run natively
  g++-arm-linux-gnueabihf                               # 32-bit ARM, under qemu-user
  clang libclang-rt-14-dev valgrind                     # sanitizers, libFuzzer, memcheck
  libc++-dev libc++abi-dev                              # a second standard library
  clang-tidy clang-format shellcheck pyflakes3 groff-base hyperfine
  sudo mmdebstrap                                       # fresh Debian roots
  lintian reprotest faketime reuse glibc-source         # the release set's checks
  apt-utils python3-debian python3-apt                  # the record, copyright file, runtimes' updates
)
missing=()
command -v npm >/dev/null || packages+=(nodejs npm)     # the SBOM validator
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
for architecture in arm64 i386; do
  dpkg --print-foreign-architectures | grep -qx "$architecture" || dpkg --add-architecture "$architecture"
done
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
if ((${#missing[@]})); then
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
