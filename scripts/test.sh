#!/usr/bin/env bash
# Builds the test preset and runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
lyricue_install_missing
cmake --preset test >/dev/null
cmake --build --preset test -j "$(nproc)"
ctest --preset test -j "$(nproc)" "$@"
