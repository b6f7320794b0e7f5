#!/usr/bin/env bash
# Seconds: formatting of the project's own sources, every script linted, and run bits.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"

git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
git ls-files -z '*.sh' .ci/run | xargs -0 shellcheck --severity=warning
git ls-files -z '*.py' | xargs -0 pyflakes3
# A script with a shebang can be run: it has its run bit.
git ls-files -s | while read -r mode _ _ path; do
  if [[ $mode != 100755 ]] && head -c 2 "$path" | grep -q '^#!'; then
    echo "$path has a shebang but no run bit" >&2
    exit 1
  fi
done
