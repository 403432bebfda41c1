#!/usr/bin/env bash
# Sourced by the bench_*.sh scripts: the Release build the benchmarks run from, in
# BUILD_DIR (default build/bench-release), configured here when it is missing.
lyricue_bench_build() {
  build=${BUILD_DIR:-build/bench-release}
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset release -B "$build" -DLYRICUE_BUILD_BENCH=ON >/dev/null
  fi
  cmake --build "$build" -j "$(nproc)" --target "$@" >/dev/null
}
