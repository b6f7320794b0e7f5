#!/usr/bin/env bash
# usage: packaging/build_preset.sh PRESET (a job of build_set.sh, which exports SRC and WORK)
# Builds $SRC's PRESET without tests and installs the stripped tool and its man page under
# $WORK/PRESET. The linker traces what it links into $WORK/PRESET.log (-t -t), for the notices and
# the SBOM.
set -euo pipefail
log=$WORK/$1.log
(cd "$SRC" && cmake --preset "$1" -DBUILD_TESTING=OFF -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_EXE_LINKER_FLAGS_RELEASE=-Wl,-t,-t && cmake --build --preset "$1") >"$log" 2>&1 ||
  { cat "$log"; exit 1; }
DESTDIR="$WORK/$1" cmake --install "$SRC/build/$1" --strip >/dev/null
# The compilers' version notes (.comment) tell users nothing; the Linux binaries go without.
binary=$WORK/$1/usr/bin/spectrum_dump
if [[ -f $binary ]]; then
  "$(sed -n 's/^CMAKE_OBJCOPY:FILEPATH=//p' "$SRC/build/$1/CMakeCache.txt")" --remove-section=.comment "$binary"
fi
