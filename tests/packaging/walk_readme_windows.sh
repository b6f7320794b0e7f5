#!/usr/bin/env bash
# usage: tests/packaging/walk_readme_windows.sh ZIP WINEPREFIX REPORT
# Follows the zip's README.txt under Wine, every path and command taken from its text, so that its
# steps cannot drift from the zip: unpacks where it says (as Explorer's "Extract All" and
# Expand-Archive lay a zip out), runs the tool by its full path and compares the report, puts the
# folder on PATH and runs the tool by name in a new cmd; then runs MANUAL.txt's for /r loop.
# Wine has no PowerShell, and its certutil, findstr and fc are stubs: the checksum lines are
# checked for the zip's name only, and fc's comparison is made here.
set -euo pipefail
zip=$1 report=$3
export WINEPREFIX=$2 LC_ALL=C.UTF-8
root=$(cd "$(dirname "$0")/../.." && pwd)
wine() { sh "$root/cmake/wine-run.sh" "$WINEPREFIX" "$@"; }
unix_path() { wine winepath -u "$1"; }
fail() { echo "walk_readme_windows: $*" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 -m zipfile -e "$zip" "$work/zip"
tr -d '\r' <"$work/zip/README.txt" >"$work/README"
prose=$(tr -s ' \n' '  ' <"$work/README")
sed 's/$/\r/' "$report" >"$work/report"
# N: the Nth block of commands in the readme (its lines indented by four or more), unindented.
block() {
  awk -v n="$1" '/^    / { if (!inside) { inside = 1; ++count; indent = match($0, /[^ ]/) }
                          if (count == n) print substr($0, indent); next }
                 { inside = 0 }' "$work/README"
}
# N...: these blocks in one cmd started where Windows+R starts it, in the user's folder, as a
# batch file with echo off (which runs these lines as typed).
run_blocks() {
  { echo '@echo off'; for n; do block "$n"; done; } | sed 's/$/\r/' >"$drive_c/walk-step.cmd"
  (cd "$(unix_path "$(wine cmd /c 'echo %USERPROFILE%' | tr -d '\r')")" &&
    wine cmd /c 'C:\walk-step.cmd')
}
drive_c=$(unix_path "C:\\")
[[ -z $(block 7) && -n $(block 6) ]] || fail "the readme has not six blocks of commands"

for n in 1 2 3; do  # the checksum lines (PowerShell, cmd) and Expand-Archive name the zip
  [[ $(block $n | head -1) =~ ^(\$zip = \"|set zip=)${zip##*/}\"?$ ]] || fail "block $n: not the zip"
done
folder=$(block 3 | awk '$1 == "Expand-Archive" { print $NF }')
[[ $prose == *"enter $folder as the folder"* ]] || fail "Explorer and Expand-Archive differ"
python3 -m zipfile -e "$zip" "$(unix_path "$folder")"

# By the full path in the example's folder, then the report saved and compared as fc is told to.
run_blocks 4 5 | cmp - "$work/report"
examples=$(block 4 | awk '$1 == "cd" { print $NF }')
read -r _ saved expected < <(block 5 | grep '^fc ')
cmp "$(unix_path "$examples\\$saved")" "$(unix_path "$examples\\$expected")"
# By name in a new cmd, with the folder entered in the dialog on the user's PATH.
entry=$(grep -o 'New, enter [^ ]* and choose OK' <<<"$prose" | cut -d' ' -f3)
wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$entry" /f >/dev/null
run_blocks 6 | cmp - "$work/report"

# MANUAL.txt's loop, typed into cmd, over captures here and below, in folders named with a
# space and with accents, and a folder without one: each report lands beside its own file (one
# that ends inside sample 3 gives a shorter report).
tr -d '\r' <"$work/zip/MANUAL.txt" | sed 's/^ \{7\}//' |
  awk '/^for \/r / { inside = 1 } inside { print } inside && !/\^$/ { exit }' |
  sed 's/$/\r/' >"$work/loop"
captures=$drive_c/captures
mkdir -p "$captures/run 1/été" "$captures/empty"
cp "$work/zip/examples/spectrum.bin" "$captures"
cp "$work/zip/examples/spectrum.bin" "$captures/run 1/été"
head -c 60 "$work/zip/examples/spectrum.bin" >"$captures/run 1/spectrum.bin"
(cd "$captures" && wine cmd <"$work/loop" >/dev/null 2>&1)
cmp "$captures/report.txt" "$work/report"
cmp "$captures/run 1/été/report.txt" "$work/report"
cmp "$captures/run 1/report.txt" <(head -11 "$work/report")
[[ ! -e $captures/empty/report.txt ]] || fail "a report where no capture is"
echo "README.txt's steps and MANUAL.txt's cmd loop work under Wine as written."
