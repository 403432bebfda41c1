#!/usr/bin/env bash
# Remakes docs/calibration.png: the tap-along calibration dialog of the running program
# under Xvfb, driven with xdotool the way a user calibrates: "編集" > "タイミング補正…",
# "開始", then the space bar on each click (the fifth click missed, the tenth pressed
# twice), the clicks played through SDL's dummy driver. Needs a build (the release
# preset's, or the one named by LYRICUE) and xvfb, xauth, xdotool, x11-utils,
# imagemagick, fonts-ipafont-gothic and fonts-ipafont-mincho.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${LYRICUE:-$PWD/build/release/src/app/lyricue}
[ -x "$program" ] || { echo "Build the release preset first: $program is missing" >&2; exit 1; }
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT

XDG_CONFIG_HOME=$settings xvfb-run -a -s "-screen 0 800x640x24" bash -c '
  set -e
  program=$1 out=$2
  SDL_AUDIODRIVER=dummy "$program" & pid=$!
  sleep 2
  window=$(xdotool search --sync --name "^Lyricue$" | head -1)
  xdotool windowmove "$window" 0 0; sleep 0.5
  xdotool mousemove 177 10 click 1; sleep 0.6  # 編集
  xdotool key Down Return                      # タイミング補正…
  dialog=$(xdotool search --sync --name "^タイミング補正$" | head -1)
  sleep 0.5
  origin=$(xwininfo -id "$dialog" | awk "/Absolute upper-left X/ {x=\$4} /Absolute upper-left Y/ {y=\$4} END {print x, y}")
  read -r x y <<<"$origin"
  # "開始", then a press 60 ms after each click (lead-in 1.5 s, a click every 0.6 s),
  # timed from the start so that the presses do not drift.
  x=$x y=$y python3 - <<"PRESS"
import os, subprocess, time
press = lambda: subprocess.run(["xdotool", "key", "space"], check=True)
start = time.monotonic()
subprocess.run(["xdotool", "mousemove", str(int(os.environ["x"]) + 50), str(int(os.environ["y"]) + 71), "click", "1"], check=True)
for click in range(16):
    for extra in ([] if click == 4 else [0.06] + ([0.14] if click == 9 else [])):
        time.sleep(max(0.0, start + 1.5 + 0.6 * click + extra - time.monotonic()))
        press()
PRESS
  sleep 1.5
  import -window "$dialog" "$out"
  kill $pid' bash "$program" "$PWD/docs/calibration.png"
echo docs/calibration.png
