#!/usr/bin/env bash
# CPU while playing with the timeline panel open: bench_play_cpu.sh's run, then as long
# again with the panel shown (target < 5 % of one core).
# Usage: scripts/bench_timeline_cpu.sh [seconds]; benchmarks built in BUILD_DIR (default
# build/bench-release).
exec "$(dirname "$0")/bench_play_cpu.sh" "${1:-20}" --timeline
