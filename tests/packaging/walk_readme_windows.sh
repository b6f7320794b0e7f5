#!/usr/bin/env bash
# usage: tests/packaging/walk_readme_windows.sh ZIP WINEPREFIX REPORT CAPTURES
# Follows the zip's README.txt under Wine, every path and command taken from its text, so that its
# steps cannot drift from the zip: unpacks where it says (as Explorer's "Extract All" and
# Expand-Archive lay a zip out), runs the tool by its full path and compares the report, puts the
# folder on PATH and runs the tool by name in a new cmd; runs MANUAL.txt's cmd recipe for many
# captures over CAPTURES (written by fixtures.py --captures), typed and as a batch file, and checks
# the folders it names, its counts and its status; updates over an old exe; checks that the
# version step names the installed exe; then removes the Path entry and the folder, the latter
# from a cmd that stood inside it, and checks that neither is left.
# Wine has no PowerShell, and its certutil, findstr and fc are stubs: the checksum lines are
# checked for the zip's name only, and fc's comparison is made here.
set -euo pipefail
zip=$1 report=$3 captures=$4
export WINEPREFIX=$2 LC_ALL=C.UTF-8
root=$(cd "$(dirname "$0")/../.." && pwd)
wine() { sh "$root/cmake/wine-run.sh" "$WINEPREFIX" "$@"; }
unix_path() { wine winepath -u "$1"; }
# PATH: the path with its quotes gone and its %NAME%s expanded, as cmd reads it.
windows_path() { wine cmd /c "echo ${1//\"/}" | tr -d '\r'; }
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
[[ -z $(block 10) && -n $(block 9) ]] || fail "the readme has not nine blocks of commands"

for n in 1 2 3; do  # the checksum lines (PowerShell, cmd) and Expand-Archive name the zip
  block $n | grep -qxE "(\\\$zip = \"|set \"zip=)${zip##*/}\"" || fail "block $n: not the zip"
done
# The folder as PowerShell names it ($env:NAME\...), as cmd and Explorer do (%NAME%\...), and here.
folder=$(block 3 | awk '$1 == "Expand-Archive" { print $NF }')
folder_cmd=$(sed -E 's/^\$env:([A-Za-z_]+)/%\1%/' <<<"$folder")
[[ $prose == *"enter $folder_cmd as the folder"* ]] || fail "Explorer and Expand-Archive differ"
installed=$(unix_path "$(windows_path "$folder_cmd")")
# Per user, where other accounts cannot write, not in a folder of one's own under C:\.
[[ $installed == "$(unix_path "$(windows_path %LOCALAPPDATA%)")"/* ]] || fail "not installed per user: $folder"
python3 -m zipfile -e "$zip" "$installed"

# By the full path in the example's folder, then the report saved and compared as fc is told to.
run_blocks 4 5 | cmp - "$work/report"
examples=$(unix_path "$(windows_path "$(block 4 | sed -n 's/^cd \/d //p')")")
read -r _ saved expected < <(block 5 | grep '^fc ')
cmp "$examples/$saved" "$examples/$expected"
# By name in a new cmd, with the folder entered in the dialog on the user's PATH.
entry=$(grep -o 'New, enter [^ ]* and choose OK' <<<"$prose" | cut -d' ' -f3)
wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$entry" /f >/dev/null
run_blocks 6 | cmp - "$work/report"

# MANUAL.txt's recipe, typed into cmd and as a batch file (%c doubled, and the line the manual
# gives for its status in place of echo on), over the captures: each report beside its capture,
# the failed and the warned folders named, the counts, and the status: %failed% typed, the exit
# code of the batch file. Then the batch file where there is no capture: no names, and status 0.
# Wine's cmd, unlike Windows', expands a %NAME% in a for variable's value at its prompt, so the
# typed run leaves out the folders named so, and the counts are of the rest.
tr -d '\r' <"$work/zip/MANUAL.txt" >"$work/manual"
awk '/^ +@echo off$/ { n = index($0, "@") } n { print substr($0, n) } /^ +echo on$/ { exit }' \
  "$work/manual" | sed 's/$/\r/' >"$work/recipe"
status_line=$(sed -n 's/^ *\(if .* exit \/b 1\)$/\1/p' "$work/manual")
sed 's/%\(~dp\)\?c\b/%&/g; s|^echo on\r$|'"$status_line"'\r|' "$work/recipe" >"$drive_c/recipe.bat"
grep -q '^if .* exit /b 1' "$drive_c/recipe.bat" || fail "no status line for the batch file"
{ cat "$work/recipe"; printf 'echo failed=%%failed%%\r\n'; } >"$work/typed"
named='*%[A-Za-z]*%*'
grep -v -e '%[A-Za-z]*%' -e ' warned$' "$captures/console.txt" >"$work/console-typed"
awk '/^Failed: / { f++ } /^Warned: / { w++ } END { print f + 0 " failed, " w + 0 " warned" }' \
  "$work/console-typed" >>"$work/console-typed"
for run in typed batch; do
  rm -rf "$drive_c/captures" && cp -R "$captures/tree" "$drive_c/captures"
  expected=$captures/console.txt status=0 skip=()
  if [[ $run == typed ]]; then
    expected=$work/console-typed skip=(-x "$named")
    find "$drive_c/captures" -name "$named" -prune -exec rm -rf {} +
    (cd "$drive_c/captures" && wine cmd <"$work/typed") >"$work/console"
  else
    (cd "$drive_c/captures" && wine cmd /c 'C:\recipe.bat') >"$work/console" || status=$?
  fi
  tr -d '\r' <"$work/console" | tee "$work/console.txt" |
    sed -n 's/.*\(Failed\|Warned\): C:\\captures\\\(.*\)\\$/\1: \2/p; /^[0-9]* failed, [0-9]* warned$/p' |
    tr '\\' / | LC_ALL=C sort | diff - <(LC_ALL=C sort "$expected") || fail "$run recipe: console differs"
  diff -r "${skip[@]}" "$captures/want" "$drive_c/captures" || fail "$run recipe: reports differ"
  failed=$(grep -c '^Failed: ' "$expected" || true)
  if [[ $run == typed ]]; then
    grep -qE "(^|>)failed=$failed$" "$work/console.txt" || fail "typed recipe: %failed% is not $failed"
  else
    [[ $status == $((failed > 0)) ]] || fail "batch recipe: exit code $status"
  fi
  cat "$work/console.txt"
done
mkdir -p "$drive_c/no captures"
(cd "$drive_c/no captures" && wine cmd /c 'C:\recipe.bat') | tr -d '\r' | diff - <(echo "0 failed, 0 warned") ||
  fail "batch recipe: wrong where there is no capture"

# Updating: an old exe is replaced when the new zip is unpacked where Expand-Archive is told to.
[[ $(block 7 | awk '$1 == "Expand-Archive" { print $2, $NF }') == "-Force $folder" ]] ||
  fail "the update unpacks elsewhere"
echo old >"$installed/spectrum_dump.exe"
python3 -m zipfile -e "$zip" "$installed"
run_blocks 6 | cmp - "$work/report"

# Which version: the PowerShell line reads the installed exe (Wine has no PowerShell to run it).
[[ $(block 9) == "\$exe = \"$folder\\spectrum_dump.exe\""$'\n'"(Get-Item \$exe).VersionInfo.FileVersion" ]] ||
  fail "the version step reads another exe"

# Removing: the entry the install step added is the one the dialog step deletes (a dialog cannot
# be run here, so its words are the check), then the folder goes, from a cmd that went into the
# examples as the install step did (a folder that is a program's current folder cannot go).
[[ $prose == *"select $entry, choose Delete"* ]] || fail "removes another Path entry"
{ echo '@echo off'; block 4 | grep '^cd '; block 8; } | sed 's/$/\r/' >"$drive_c/walk-step.cmd"
wine cmd /c 'C:\walk-step.cmd'
[[ ! -e $installed ]] || fail "the folder is left"
echo "README.txt's steps and MANUAL.txt's cmd recipe work under Wine as written."
