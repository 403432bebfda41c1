#!/usr/bin/env bash
# Remakes docs/calibration.png: the tap-along calibration dialog of the running program
# under Xvfb, driven with xdotool the way a user calibrates: "編集" > "タイミング補正…",
# "開始", then the space bar on each click (the fifth click missed, the tenth pressed
# twice), the clicks played into a private PulseAudio server's null sink, whose clock keeps
# to the wall clock the presses are timed by (SDL's dummy driver falls behind it on a busy
# machine). Needs a build (the release preset's, or the one named by LYRICUE) and
# pulseaudio, xvfb, xauth, xdotool, x11-utils, imagemagick, fonts-ipafont-gothic and
# fonts-ipafont-mincho.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${LYRICUE:-$PWD/build/release/src/app/lyricue}
[ -x "$program" ] || { echo "Build the release preset first: $program is missing" >&2; exit 1; }
settings=$(mktemp -d)
pulse=$(mktemp -d)
pulseaudio -n --daemonize=no --system=false --use-pid-file=no --exit-idle-time=-1 --disallow-exit \
  --log-target=stderr --log-level=error -L "module-native-protocol-unix auth-anonymous=1 socket=$pulse/native" \
  -L "module-null-sink sink_name=nul rate=48000 channels=2 format=float32le norewinds=1" 2>"$pulse/log" &
server=$!
trap 'kill $server 2>/dev/null; rm -rf "$settings" "$pulse"' EXIT
for _ in $(seq 100); do [ -S "$pulse/native" ] && break; sleep 0.1; done
[ -S "$pulse/native" ] || { cat "$pulse/log" >&2; echo "pulseaudio did not start" >&2; exit 1; }
export PULSE_SERVER=unix:$pulse/native

XDG_CONFIG_HOME=$settings xvfb-run -a -s "-screen 0 800x640x24" bash -c '
  set -e
  program=$1 out=$2
  "$program" & pid=$!
  sleep 2
  window=$(xdotool search --sync --name "^Lyricue$" | head -1)
  xdotool windowmove "$window" 0 0; sleep 0.5
  xdotool mousemove 100 10 click 1; sleep 0.6  # 編集
  xdotool key Up Return                        # its last item, タイミング補正…
  dialog=$(xdotool search --sync --name "^タイミング補正$" | head -1)
  sleep 0.5
  origin=$(xwininfo -id "$dialog" | awk "/Absolute upper-left X/ {x=\$4} /Absolute upper-left Y/ {y=\$4} END {print x, y}")
  read -r x y <<<"$origin"
  # "開始", then a press 60 ms after each click (lead-in 1.5 s, a click every 1.2 s),
  # timed from the start so that the presses do not drift.
  x=$x y=$y python3 - <<"PRESS"
import os, subprocess, time
press = lambda: subprocess.run(["xdotool", "key", "space"], check=True)
start = time.monotonic()
subprocess.run(["xdotool", "mousemove", str(int(os.environ["x"]) + 50), str(int(os.environ["y"]) + 71), "click", "1"], check=True)
for click in range(16):
    for extra in ([] if click == 4 else [0.06] + ([0.14] if click == 9 else [])):
        time.sleep(max(0.0, start + 1.5 + 1.2 * click + extra - time.monotonic()))
        press()
PRESS
  sleep 2.5  # the last beat of the click, then the end of the run
  import -window "$dialog" "$out"
  kill $pid' bash "$program" "$PWD/docs/calibration.png"
echo docs/calibration.png
