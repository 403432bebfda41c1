#!/bin/sh
# Run by check_deb.sh inside the fresh Debian root, under xvfb-run: starts the installed
# lyricue, waits for its first painted window, then opens a track (its tags are read by
# the tag reader module) and plays it (through SDL2), and reports from the process's own
# memory map where each library loaded by name came from.
# Usage: check_deb_window.sh TRACK
track=$1
for tool in xwininfo xwd xdotool; do
  command -v "$tool" >/dev/null || { echo "FAILED: $tool is missing"; exit 1; }
done
SDL_AUDIODRIVER=dummy lyricue >/tmp/lyricue.log 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null' EXIT
now() { date +%s%N; }
start=$(now)
fail() { echo "FAILED: $1"; sed 's/^/  lyricue: /' /tmp/lyricue.log; exit 1; }
# wait_for SECONDS COMMAND...: runs COMMAND every 0.1 s until it succeeds.
wait_for() {
  deadline=$(($(now) + $1 * 1000000000))
  shift
  until "$@"; do
    kill -0 "$pid" 2>/dev/null || fail "lyricue ended"
    [ "$(now)" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}
top_window() { xwininfo -root -tree | awk -v title="\"$1\": (\"lyricue\"" 'index($0, title) { print $1; exit }'; }

# Painted: the window is on the screen with more colours in it than an unpainted
# window's one background.
painted() {
  window=$(top_window Lyricue)
  [ -n "$window" ] && xwininfo -id "$window" | grep -q IsViewable || return 1
  width=$(xwininfo -id "$window" | awk '/Width:/ { print $2 }')
  height=$(xwininfo -id "$window" | awk '/Height:/ { print $2 }')
  xwd -silent -id "$window" >/tmp/first_paint.xwd
  colours=$(tail -c $((width * height * 4)) /tmp/first_paint.xwd | od -An -v -tx4 -w4 | sort -u | wc -l)
  [ "$colours" -ge 16 ]
}
wait_for 60 painted || fail "no painted Lyricue window within 60 s"
echo "painted: a ${width}x${height} window of $colours colours, $((($(now) - start) / 1000000)) ms after start"

loaded() { grep -o "/.*$1.*" "/proc/$pid/maps" | head -1; }
# The toolbar's first button (読込) and its play button, at their fixed places.
xdotool mousemove --window "$window" 22 44 click 1
wait_for 10 sh -c "xwininfo -root -tree | grep -q '\"開く\": (\"lyricue\"'" || fail "no file dialog"
xdotool type --delay 5 "$track"
xdotool key Return
wait_for 10 sh -c "xwininfo -root -tree | grep -q '\"Lyricue\": (\"lyricue\"' && ! xwininfo -root -tree | grep -q '\"開く\"'" ||
  fail "the track did not open"
wait_for 10 sh -c "grep -q liblyricue_tags /proc/$pid/maps" || fail "the tag reader module was not loaded"
echo "tag reader module loaded from $(loaded liblyricue_tags)"
# The question about the lyrics file of the same name: キャンセル.
xdotool mousemove --window "$(top_window Lyricue)" 20 20 key Escape
xdotool mousemove --window "$window" 196 44 click 1
wait_for 10 sh -c "grep -q libSDL2 /proc/$pid/maps" || fail "SDL2 was not loaded when playing"
echo "SDL2 loaded from $(loaded libSDL2)"
