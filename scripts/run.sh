#!/usr/bin/env bash
# Builds the release preset and starts Lyricue (under xvfb-run when there is no display).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
lyricue_install_missing
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting Lyricue under xvfb-run (nothing will be visible)." >&2
  exec xvfb-run -a build/release/src/app/lyricue "$@"
fi
exec build/release/src/app/lyricue "$@"
