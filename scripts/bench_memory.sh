#!/usr/bin/env bash
# Resident memory of the window after loading a 32,766-line lyrics file (target < 80 MB).
# Usage: scripts/bench_memory.sh; benchmarks built in BUILD_DIR (default build/bench-release).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/bench_build.sh
lyricue_bench_build memory_bench
QT_QPA_PLATFORM=offscreen "$build/bench/memory_bench"
