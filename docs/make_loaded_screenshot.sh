#!/usr/bin/env bash
# Remakes docs/window_loaded.png: the running program under Xvfb, driven with xdotool
# the way a user works: "読込" a 30 s track, load its lyrics (はい), "再生", five
# presses of the space bar, then a click on a text cell. Needs a release build and
# xvfb, xauth, xdotool, x11-utils, imagemagick, sox, lame, fonts-ipafont-gothic and
# fonts-ipafont-mincho.
set -euo pipefail
cd "$(dirname "$0")/.."
program=$PWD/build/release/src/app/lyricue
[ -x "$program" ] || { echo "Build the release preset first: $program is missing" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sox -R -n -r 44100 -c 1 "$work/tone.wav" synth 30 sine 440 vol 0.3
lame --quiet -b 64 "$work/tone.wav" "$work/song.mp3"
printf '%s\r\n' '[00:01:00]春の風が吹いて' '[00:02:00]窓をあけたら' '[00:03:00]遠くで鳥が鳴いた' '' \
  '[00:05:00]君の声がきこえる' '[00:06:00]歩きだそう いっしょに' '[00:07:00]夕焼けの坂道を' '[00:08:00]ラララ ラララ' | iconv -f UTF-8 -t CP932 > "$work/song.txt"

xvfb-run -a -s "-screen 0 800x640x24" bash -c '
  set -e
  program=$1 work=$2 out=$3
  SDL_AUDIODRIVER=dummy "$program" & pid=$!
  sleep 2
  window=$(xdotool search --sync --name "^Lyricue$" | head -1)
  xdotool windowmove "$window" 0 0; sleep 0.5
  origin=$(xwininfo -id "$window" | awk "/Absolute upper-left X/ {x=\$4} /Absolute upper-left Y/ {y=\$4} END {print x, y}")
  read -r x y <<<"$origin"
  click() { xdotool mousemove $((x + $1)) $((y + $2)) click 1; sleep 0.6; }
  click 24 46                                   # 読込
  xdotool type --delay 20 "$work/song.mp3"; xdotool key Return; sleep 1
  xdotool key Return; sleep 1                   # はい: load song.txt
  click 196 46                                  # 再生
  for press in 1 2 3 4 5; do sleep 0.8; xdotool key space; done
  click 300 324                                 # a text cell, to correct its line
  sleep 1.5
  import -window "$window" "$out"
  kill $pid' bash "$program" "$work" "$PWD/docs/window_loaded.png"
echo docs/window_loaded.png
