#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz) and runs each for a while on a working
# corpus under build/fuzz/corpus, seeded from tests/data and fuzz/seeds.
# Usage: scripts/fuzz.sh [seconds per target, default 60] [target ...]
# Exits non-zero when any target crashes, breaks an invariant, leaks or hangs; the
# input is then in build/fuzz/findings/<target>/ and the output in build/fuzz/logs/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
lyricue_install_missing clang-14 libclang-rt-14-dev

seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(text_codec_fuzz lyrics_lines_fuzz lrc_fuzz lyrics_timer_fuzz track_open_fuzz ffmpeg_open_fuzz)

# Seed files for a target, from the committed test fixtures.
seeds_for() {
  case "$1" in
    track_open_fuzz) ls tests/data/*.mp3 tests/data/*.rmp ;;
    ffmpeg_open_fuzz) ls tests/data/noise*.* tests/data/clicks.* tests/data/*chained.ogg tests/data/short.* ;;
    *) ls tests/data/*.txt ;;
  esac
}

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target lyricue_fuzzers -j "$(nproc)"

out=build/fuzz
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for target in "${targets[@]}"; do
  corpus=$out/corpus/$target
  findings=$out/findings/$target
  log=$out/logs/$target.log
  mkdir -p "$corpus" "$findings" "$out/logs"
  # Fixtures, and inputs that once found a fault; cp -n keeps what the corpus has.
  seeds_for "$target" | xargs -I{} cp -n {} "$corpus/"
  if [ -d "fuzz/seeds/$target" ]; then
    cp -n "fuzz/seeds/$target"/* "$corpus/" 2>/dev/null || true
  fi
  echo "== $target: ${seconds}s"
  status=0
  "$out/fuzz/$target" "$corpus" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  corpus_size=$(find "$corpus" -type f | wc -l)
  if [ "$status" -eq 0 ]; then
    echo "   ok: ${executions:-?} executions, corpus $corpus_size files"
  else
    echo "   FAILED (exit $status) after ${executions:-?} executions; see $log" >&2
    grep -E 'ERROR:|runtime error|invariant broken|SUMMARY|Test unit written' "$log" | head -10 >&2 || true
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found faults in: ${failed[*]}" >&2
  exit 1
fi
