#!/usr/bin/env bash
# usage: presets.sh PRESET...: each preset's workflow (configure, build, the whole suite), in turn.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"

for preset; do
  cmake --workflow --preset "$preset"
done
