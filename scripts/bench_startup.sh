#!/usr/bin/env bash
# Start-up time: from process start to the first painted main window (offscreen), for
# Lyricue's own main() and for a bare Qt program showing a window with a two-column
# table. Runs alternate between the two; prints both medians and their ratio
# (target < 1.25). Usage: scripts/bench_startup.sh [runs, default 41]; the benchmarks
# are built in BUILD_DIR (default build/bench-release, a Release build).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-41}
source scripts/bench_build.sh
lyricue_bench_build startup_lyricue bare_window
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
programs=("$build/bench/startup_lyricue" "$build/bench/bare_window")
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT

# Microseconds from the start of the process to its exit right after its first paint.
time_run() {
  local start=$EPOCHREALTIME
  "$1" >"$out" 2>"$err"
  local end=$EPOCHREALTIME
  if [ "$(cat "$out")" != painted ]; then
    echo "$1 ended without painting:" >&2
    cat "$err" >&2
    exit 1
  fi
  echo $((${end/./} - ${start/./}))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

for warm in 1 2 3; do
  for program in "${programs[@]}"; do time_run "$program" >/dev/null; done
done
lyricue_times=()
bare_times=()
for ((run = 0; run < runs; run++)); do
  lyricue_times+=("$(time_run "${programs[0]}")")
  bare_times+=("$(time_run "${programs[1]}")")
done
lyricue_median=$(printf '%s\n' "${lyricue_times[@]}" | median)
bare_median=$(printf '%s\n' "${bare_times[@]}" | median)
awk -v l="$lyricue_median" -v b="$bare_median" -v n="$runs" 'BEGIN {
  r = l / b
  printf "start to first paint, median of %d alternating runs\n", n
  printf "  Lyricue main window       %7.1f ms\n", l / 1000
  printf "  bare two-column table     %7.1f ms\n", b / 1000
  printf "  ratio                     %7.2f   (target < 1.25: %s)\n", r, r < 1.25 ? "met" : "MISSED"
}'
