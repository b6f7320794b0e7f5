#!/usr/bin/env bash
# The README's two commands, each pasted by a newcomer with sudo into a clean clone on a fresh
# minimal Debian 12 that has nothing but git and sudo; the two run at once, each in a root of its
# own. Where the toolchain has no static C and C++ libraries, the run command still gives the
# tool, linked dynamically, and the configure step says so.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"

fresh_debian() {  # NAME: runs "$logs/NAME", writes "$logs/NAME.log"
  mmdebstrap --quiet --variant=minbase --include=git,sudo bookworm /dev/null \
    --customize-hook='chroot "$1" useradd --create-home newcomer' \
    --customize-hook='echo "newcomer ALL=(ALL) NOPASSWD: ALL" >"$1/etc/sudoers.d/newcomer"' \
    --customize-hook="git clone --quiet '$PWD' \"\$1/home/newcomer/spectrum_dump\"" \
    --customize-hook="copy-in '$logs/$1' /home/newcomer" \
    --customize-hook='chroot "$1" chown -R newcomer: /home/newcomer' \
    --customize-hook="chroot \"\$1\" runuser -l newcomer -c 'cd spectrum_dump && bash ~/$1'" \
    >"$logs/$1.log" 2>&1 || { cat "$logs/$1.log"; return 1; }
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
fresh_debian run & run_job=$!
fresh_debian test & test_job=$!
fresh_debian dynamic & dynamic_job=$!
wait "$run_job"
wait "$test_job"
wait "$dynamic_job"
ends_in_report "$logs/run.log" || { cat "$logs/run.log"; exit 1; }
grep -q '100% tests passed' "$logs/test.log" || { cat "$logs/test.log"; exit 1; }
{ ends_in_report "$logs/dynamic.log" && grep -q '^spectrum_dump links dynamically: ' "$logs/dynamic.log"; } ||
  { cat "$logs/dynamic.log"; exit 1; }
rm -rf "$logs"
echo "The README's two commands pass on a fresh Debian 12, and the first without static libraries."
