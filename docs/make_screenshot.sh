#!/usr/bin/env bash
# Remakes docs/window.png: the started window under Xvfb, taken with ImageMagick's
# import (needs xvfb, xauth, x11-utils, imagemagick, fonts-ipafont-gothic and
# fonts-ipafont-mincho) from a release build (scripts/run.sh makes one).
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/release/src/app/lyricue
[ -x "$program" ] || { echo "Build the release preset first: $program is missing" >&2; exit 1; }
xvfb-run -a -s "-screen 0 800x600x24" sh -c '
  SDL_AUDIODRIVER=dummy "$1" & pid=$!
  sleep 3
  window=$(xwininfo -root -tree | awk "/\"Lyricue\": \\(\"lyricue\"/ { print \$1; exit }")
  import -window "$window" docs/window.png
  kill $pid' sh "$program"
echo "docs/window.png"
