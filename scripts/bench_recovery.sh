#!/usr/bin/env bash
# The recovery copy of 32,766 lines: snapshot, bytes and safe write, and the time a stamp
# takes while copies are written, against a window that keeps none; the load beside it.
# Usage: scripts/bench_recovery.sh [stamps]; the copies go to a folder in the build folder
# (on disk, as the user's state folder is); benchmarks built in BUILD_DIR (default
# build/bench-release).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/bench_build.sh
lyricue_bench_build recovery_bench
echo "load before: $(uptime)"
QT_QPA_PLATFORM=offscreen "$build/bench/recovery_bench" "$build" "${1:-400}"
echo "load after: $(uptime)"
