#!/usr/bin/env bash
# The waveform's peaks against decoding alone: makes MINUTES (default 60) of a 128 kbit/s
# stereo MP3 with sox and lame (installed when missing), then times both on it.
# Usage: scripts/bench_peaks.sh [minutes] [runs]; benchmarks built in BUILD_DIR (default
# build/bench-release).
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-60}
runs=${2:-3}
source scripts/setup.sh
source scripts/bench_build.sh
lyricue_install_missing sox lame
lyricue_bench_build peaks_bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -R -n -r 44100 -c 2 -b 16 -t wav - synth $((minutes * 60)) pinknoise vol 0.3 |
  lame --quiet -b 128 - "$work/track.mp3"
"$build/bench/peaks_bench" "$work/track.mp3" "$runs"
