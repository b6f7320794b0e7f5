#!/usr/bin/env bash
# The cost figures, as the bench script prints them; alone on the machine, for its wall times.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"

python3 -B -m bench.bench
