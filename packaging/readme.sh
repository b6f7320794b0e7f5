#!/usr/bin/env bash
# usage: packaging/readme.sh PACKAGE [ARCH] (a job of build_set.sh, which exports VERSION)
# Prints the readme for the users of PACKAGE (windows, linux or deb): the blocks of README.in
# marked for it, and those marked for none.
set -euo pipefail
awk -v package="$1" 'BEGIN { keep = 1 }
  /^:::/ { keep = NF == 1; for (i = 2; i <= NF; ++i) keep = keep || $i == package; next }
  keep' "$(dirname "$0")/README.in" |
  sed "s/@VERSION@/$VERSION/g; s/@ARCH@/${2-}/g"
