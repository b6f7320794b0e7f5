#!/usr/bin/env bash
# The README's two commands on this machine, as it writes them, with warnings as errors; the
# later stages use the build they leave in build/release. Then installing from that build.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"

bash -c "$test_command"
log=$(mktemp)
bash -c "$run_command" | tee "$log"
ends_in_report "$log"
rm "$log"

stage=$(mktemp -d)
cmake --install build/release --prefix "$stage"
test -x "$stage/bin/spectrum_dump" && test -f "$stage/share/man/man1/spectrum_dump.1"
rm -rf "$stage"
