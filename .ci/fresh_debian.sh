#!/usr/bin/env bash
# The README's two commands, each pasted by a newcomer with sudo into a clean clone on a fresh
# minimal Debian that has nothing but git and sudo: Debian 12, the oldest the README promises,
# and Debian 13, the stable release; all at once, each in a root of its own. Where the toolchain
# has no static C and C++ libraries, the run command still gives the tool, linked dynamically,
# and the configure step says so.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"

fresh_debian() {  # NAME SUITE: runs "$logs/NAME" in a root of SUITE, writes "$logs/NAME-SUITE.log"
  mmdebstrap --quiet --variant=minbase --include=git,sudo "$2" /dev/null \
    --customize-hook='chroot "$1" useradd --create-home newcomer' \
    --customize-hook='echo "newcomer ALL=(ALL) NOPASSWD: ALL" >"$1/etc/sudoers.d/newcomer"' \
    --customize-hook="git clone --quiet '$PWD' \"\$1/home/newcomer/spectrum_dump\"" \
    --customize-hook="copy-in '$logs/$1' /home/newcomer" \
    --customize-hook='chroot "$1" chown -R newcomer: /home/newcomer' \
    --customize-hook="chroot \"\$1\" runuser -l newcomer -c 'cd spectrum_dump && bash ~/$1'" \
    >"$logs/$1-$2.log" 2>&1 || { cat "$logs/$1-$2.log"; return 1; }
}
logs=$(mktemp -d)
printf '%s\n' "$run_command" >"$logs/run"
printf '%s\n' "$test_command" >"$logs/test"
cat >"$logs/dynamic" <<SCRIPT
set -e
sudo apt-get install -y -q --no-install-recommends cmake ninja-build g++ >/dev/null
sudo find /usr/lib \( -name libc.a -o -name 'libm*.a' -o -name 'libstdc++*.a' \) -delete
$run_command
readelf -l build/release/spectrum_dump | grep -q 'program interpreter'
SCRIPT
jobs=()
for run in run-bookworm test-bookworm dynamic-bookworm run-trixie test-trixie; do
  fresh_debian "${run%-*}" "${run#*-}" &
  jobs+=($!)
done
for job in "${jobs[@]}"; do wait "$job"; done
for suite in bookworm trixie; do
  ends_in_report "$logs/run-$suite.log" || { cat "$logs/run-$suite.log"; exit 1; }
  grep -q '100% tests passed' "$logs/test-$suite.log" || { cat "$logs/test-$suite.log"; exit 1; }
done
{ ends_in_report "$logs/dynamic-bookworm.log" && grep -q '^spectrum_dump links dynamically: ' "$logs/dynamic-bookworm.log"; } ||
  { cat "$logs/dynamic-bookworm.log"; exit 1; }
rm -rf "$logs"
echo "The README's two commands pass on a fresh Debian 12 and 13, and the first without static libraries."
