#!/usr/bin/env bash
# Static analysis of the project's own sources (.clang-tidy), with the compile commands of the
# build here.sh leaves.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "$0")/lib.sh"

git ls-files -z '*.cpp' | xargs -0 clang-tidy -p build/release --quiet
