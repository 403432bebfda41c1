#!/usr/bin/env bash
# CPU of the five-line display while lines timed word by word are sung: makes a
# 128 kbit/s stereo MP3 with sox and lame (installed when missing) long enough for four
# runs of SECONDS (default 10), then has the real window play it on SDL's dummy driver,
# alternating a lyrics file of plain lines with the same lines timed segment by segment,
# and prints the CPU share with the wipe (target < 3 % of one core) and its ratio to the
# plain lines.
# Usage: scripts/bench_display_cpu.sh [seconds]; benchmarks built in BUILD_DIR (default
# build/bench-release).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
source scripts/setup.sh
source scripts/bench_build.sh
lyricue_install_missing sox lame
lyricue_bench_build display_cpu_bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -R -n -r 44100 -c 2 -b 16 "$work/noise.wav" synth $((4 * seconds + 10)) pinknoise vol 0.3
lame --quiet -b 128 --resample 44.1 "$work/noise.wav" "$work/track.mp3"
uptime
QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy "$build/bench/display_cpu_bench" "$work/track.mp3" "$seconds"
