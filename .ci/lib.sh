# shellcheck shell=bash
# Sourced by each stage: runs it from the top of the clone, stops at the first failure, and makes
# warnings in the project's own code errors (the presets read this variable into
# CMAKE_COMPILE_WARNING_AS_ERROR; the README's commands stay as they are).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
export SPECTRUM_DUMP_WARNINGS_AS_ERRORS=ON

# The README's two commands, exactly as it shows them: the two lines after these headings.
readme_command() {
  sed -n "/^$1\$/{n;n;s/^    //p;q}" README.md
}
run_command=$(readme_command 'Build it and run it on the shipped example, from a fresh clone:')
test_command=$(readme_command 'Build and run every test:')
[[ -n $run_command && -n $test_command ]] || { echo "README lost its two commands" >&2; exit 1; }

report_lines=$(wc -l <examples/spectrum.txt)
ends_in_report() { tail -n "$report_lines" "$1" | cmp - examples/spectrum.txt; }
