#!/usr/bin/env bash
# Remakes docs/window_loaded.png: the running program under Xvfb, driven with xdotool
# the way a user works: "読込" a 30 s track, load its lyrics (はい), "再生", five
# presses of the space bar, then a click on a text cell. With --timeline it remakes
# docs/window_timeline.png instead: Ctrl+T opens the timeline first, the track swells
# and fades so that its waveform shows, and the lyrics come without tags, so that the
# five stamped lines are the markers. With --karaoke it remakes docs/window_karaoke.png:
# the lyrics come timed word by word, the timeline and "単語ごとにタイミング" (Ctrl+K)
# are on, and the picture is taken while the second line is half sung, so that the
# wipe, the segment marks and the sheet's mark show. Settings go to a folder of this run.
# Needs a build of the program (LYRICUE_PROGRAM, default the release preset's) and
# xvfb, xauth, xdotool, x11-utils, imagemagick, sox, lame, fonts-ipafont-gothic and
# fonts-ipafont-mincho.
set -euo pipefail
cd "$(dirname "$0")/.."
program=${LYRICUE_PROGRAM:-$PWD/build/release/src/app/lyricue}
[ -x "$program" ] || { echo "Build the release preset first: $program is missing" >&2; exit 1; }
timeline=no
karaoke=no
[ "${1:-}" = --timeline ] && timeline=yes
[ "${1:-}" = --karaoke ] && timeline=yes karaoke=yes
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
lines=('春の風が吹いて' '窓をあけたら' '遠くで鳥が鳴いた' '' '君の声がきこえる' '歩きだそう いっしょに' '夕焼けの坂道を' 'ラララ ラララ')
# "[mm:ss:xx]" for a time in hundredths.
tag() { printf '[%02d:%02d:%02d]' $(($1 / 6000)) $(($1 / 100 % 60)) $(($1 % 100)); }
if [ $karaoke = yes ]; then
  out=docs/window_karaoke.png screen=800x720x24
  sox -R -n -r 44100 -c 1 "$work/tone.wav" synth 30 pinknoise vol 0.5 tremolo 2.5 95
  # The first four lines timed kana by kana, 0.35 s apart, a line every 3.5 s from 1 s on.
  for i in "${!lines[@]}"; do
    line=${lines[$i]} start=$((100 + i * 350))
    if [ "$i" -lt 4 ] && [ -n "$line" ]; then
      text=$(tag $start)${line:0:1}
      for ((c = 1; c < ${#line}; c++)); do text+=$(tag $((start + c * 35)))${line:c:1}; done
      printf '%s\r\n' "$text"
    else
      printf '%s\r\n' "$line"
    fi
  done | iconv -f UTF-8 -t CP932 > "$work/song.txt"
elif [ $timeline = yes ]; then
  out=docs/window_timeline.png screen=800x720x24
  sox -R -n -r 44100 -c 1 "$work/tone.wav" synth 30 pinknoise vol 0.5 tremolo 0.7 95
  printf '%s\r\n' "${lines[@]}" | iconv -f UTF-8 -t CP932 > "$work/song.txt"
else
  out=docs/window_loaded.png screen=800x640x24
  sox -R -n -r 44100 -c 1 "$work/tone.wav" synth 30 sine 440 vol 0.3
  tags=('[00:01:00]' '[00:02:00]' '[00:03:00]' '' '[00:05:00]' '[00:06:00]' '[00:07:00]' '[00:08:00]')
  for i in "${!lines[@]}"; do printf '%s%s\r\n' "${tags[$i]}" "${lines[$i]}"; done |
    iconv -f UTF-8 -t CP932 > "$work/song.txt"
fi
lame --quiet -b 64 "$work/tone.wav" "$work/song.mp3"

XDG_CONFIG_HOME=$work/config xvfb-run -a -s "-screen 0 $screen" bash -c '
  set -e
  program=$1 work=$2 out=$3 timeline=$4 karaoke=$5
  SDL_AUDIODRIVER=dummy "$program" & pid=$!
  sleep 2
  window=$(xdotool search --sync --name "^Lyricue$" | head -1)
  xdotool windowmove "$window" 0 0; sleep 0.5
  origin=$(xwininfo -id "$window" | awk "/Absolute upper-left X/ {x=\$4} /Absolute upper-left Y/ {y=\$4} END {print x, y}")
  read -r x y <<<"$origin"
  click() { xdotool mousemove $((x + $1)) $((y + $2)) click 1; sleep 0.6; }
  [ "$timeline" = yes ] && { xdotool windowfocus "$window"; sleep 0.3; xdotool key ctrl+t; sleep 0.6; }  # 表示 > タイムライン
  [ "$karaoke" = yes ] && { xdotool key ctrl+k; sleep 0.3; }  # 編集 > 単語ごとにタイミング
  click 24 46                                   # 読込
  xdotool type --delay 20 "$work/song.mp3"; xdotool key Return; sleep 1
  xdotool key Return; sleep 1                   # はい: load song.txt
  click 196 46                                  # 再生
  if [ "$karaoke" = yes ]; then
    sleep 5.0                                   # the second line, half sung
    import -window "$window" "$out"
    kill $pid
    exit 0
  fi
  for press in 1 2 3 4 5; do sleep 0.8; xdotool key space; done
  [ "$timeline" = yes ] || click 300 324        # a text cell, to correct its line
  sleep 1.5
  import -window "$window" "$out"
  kill $pid' bash "$program" "$work" "$PWD/$out" "$timeline" "$karaoke"
echo "$out"
