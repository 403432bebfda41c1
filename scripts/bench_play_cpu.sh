#!/usr/bin/env bash
# CPU while playing: makes SECONDS + 10 s of a 128 kbit/s stereo MP3 with sox and lame (installed
# when missing), then has the real window play it for SECONDS (default 20) on SDL's
# dummy driver and prints the CPU share (target < 2 % of one core), then as long again at
# 50 % speed (target < 5 %); with --timeline, also with the timeline panel open (target < 5 %).
# Usage: scripts/bench_play_cpu.sh [seconds] [--timeline]; benchmarks built in BUILD_DIR (default
# build/bench-release).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
source scripts/setup.sh
source scripts/bench_build.sh
lyricue_install_missing sox lame
lyricue_bench_build play_cpu_bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -R -n -r 44100 -c 2 -b 16 "$work/noise.wav" synth $((3 * seconds + 10)) pinknoise vol 0.3
lame --quiet -b 128 --resample 44.1 "$work/noise.wav" "$work/track.mp3"
QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$build/bench/play_cpu_bench" "$work/track.mp3" "$seconds" ${2:+"$2"}
