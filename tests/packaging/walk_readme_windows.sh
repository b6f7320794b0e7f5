#!/usr/bin/env bash
# usage: tests/packaging/walk_readme_windows.sh ZIP WINEPREFIX REPORT CAPTURES
# Follows the zip's README.txt under Wine, every path and command taken from its text, so that its
# steps cannot drift from the zip: unpacks where it says (as Explorer's "Extract All" and
# Expand-Archive lay a zip out), runs the tool by its full path and compares the report, puts the
# folder on PATH and runs the tool by name in a new cmd; runs MANUAL.txt's cmd recipe for many
# captures over CAPTURES (written by fixtures.py --captures), typed and as a batch file; updates
# over an old exe, then removes the Path entry and the folder, and checks that neither is left.
# Wine has no PowerShell, and its certutil, findstr and fc are stubs: the checksum lines are
# checked for the zip's name only, and fc's comparison is made here.
set -euo pipefail
zip=$1 report=$3 captures=$4
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
[[ -z $(block 9) && -n $(block 8) ]] || fail "the readme has not eight blocks of commands"

for n in 1 2 3; do  # the checksum lines (PowerShell, cmd) and Expand-Archive name the zip
  block $n | grep -qxE "(\\\$zip = \"|set \"zip=)${zip##*/}\"" || fail "block $n: not the zip"
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

# MANUAL.txt's recipe, typed into cmd and as a batch file (%c doubled, as the manual says), over
# the captures: each report beside its capture, and the failing folders named.
tr -d '\r' <"$work/zip/MANUAL.txt" | awk '/^ +@echo off$/ { n = index($0, "@") } n { print substr($0, n) }
  /^ +echo on$/ { exit }' | sed 's/$/\r/' >"$work/recipe"
sed 's/%\(~dp\)\?c\b/%&/g' "$work/recipe" >"$drive_c/recipe.bat"
for run in typed batch; do
  rm -rf "$drive_c/captures" && cp -R "$captures/tree" "$drive_c/captures"
  (cd "$drive_c/captures" && if [[ $run == typed ]]; then wine cmd <"$work/recipe"
                             else wine cmd /c 'C:\recipe.bat'; fi) | tr -d '\r' |
    tee "$work/console" | sed -n 's/.*Failed: C:\\captures\\\(.*\)\\$/Failed: \1/p; /^[0-9]* failed$/p' |
    tr '\\' / | LC_ALL=C sort | diff - "$captures/console.txt" || fail "$run recipe: console differs"
  diff -r "$captures/want" "$drive_c/captures" || fail "$run recipe: reports differ"
done
cat "$work/console"

# Updating: an old exe is replaced when the new zip is unpacked where Expand-Archive is told to.
[[ $(block 7 | awk '$1 == "Expand-Archive" { print $2, $NF }') == "-Force $folder" ]] ||
  fail "the update unpacks elsewhere"
echo old >"$(unix_path "$folder")/spectrum_dump.exe"
python3 -m zipfile -e "$zip" "$(unix_path "$folder")"
run_blocks 6 | cmp - "$work/report"

# Removing: the entry the install step added is the one the dialog step deletes (a dialog cannot
# be run here, so its words are the check), then the folder goes.
[[ $prose == *"select $entry, choose Delete"* ]] || fail "removes another Path entry"
run_blocks 8
[[ ! -e $(unix_path "$folder") ]] || fail "the folder is left"
echo "README.txt's steps and MANUAL.txt's cmd recipe work under Wine as written."
