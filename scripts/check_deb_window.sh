#!/bin/sh
# Run by check_deb.sh inside the fresh Debian root, under xvfb-run: starts the installed
# lyricue, waits for its first painted window, then opens a track (its tags are read by
# the tag module) and plays it (through SDL2), and reports from the process's own
# memory map where each library loaded by name came from. Then it starts lyricue again
# on a FLAC track with its lyrics file beside it, plays it at 80 % (FFmpeg and Rubber
# Band) and writes the lyrics into the track with "曲に歌詞を書込" (TagLib writing).
# Usage: check_deb_window.sh TRACK FLAC_TRACK
track=$1
flac=$2
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

# --- the FLAC track: decoded by the FFmpeg module, played at 80 %, lyrics written into it
kill "$pid"; wait "$pid" 2>/dev/null
printf '[00:00:50]first line\r\n[00:01:00]second line\r\n' >"${flac%.*}.txt"
SDL_AUDIODRIVER=dummy lyricue "$flac" >/tmp/lyricue.log 2>&1 &
pid=$!
# The track open (its caption "artist // title") and the question about the lyrics file.
asked() { xwininfo -root -tree | grep -q ' // .*(\"lyricue\"' && xwininfo -root -tree | grep -q '"Lyricue": ("lyricue"'; }
wait_for 60 asked || fail "no question about the lyrics file"
# はい: the lyrics file beside the track goes into the sheet. There is no window manager:
# each window is given the keyboard before its keys.
xdotool windowfocus "$(top_window Lyricue)"
xdotool key Return
wait_for 10 sh -c "! xwininfo -root -tree | grep -q '\"Lyricue\": (\"lyricue\"'" || fail "the question stayed"
window=$(xdotool search --name ' // ' | head -1)
# Two steps slower (Ctrl+-): 80 %, shown in the caption.
xdotool windowfocus "$window"
xdotool key ctrl+minus ctrl+minus
wait_for 10 sh -c "xwininfo -root -tree | grep -q '速度 80%'" || fail "the speed did not go to 80 %"
xdotool mousemove --window "$window" 196 44 click 1
for library in liblyricue_ffmpeg libavcodec liblyricue_stretch librubberband; do
  wait_for 10 sh -c "grep -q $library /proc/$pid/maps" || fail "$library was not loaded when playing at 80 %"
  echo "$library loaded from $(loaded $library)"
done
# The track lasts 3 s: once it has ended, "曲に歌詞を書込" (LRC menu, Alt+L then W) is
# no longer refused, and the track holds the lyrics as LRC in its LYRICS comment. Each
# try's message box (refused, or written) is closed with Return.
box_shown() { [ -n "$(top_window Lyricue)" ]; }
written() {
  xdotool windowfocus "$window"
  xdotool key alt+l w
  tries=50
  until box_shown || [ "$tries" -eq 0 ]; do sleep 0.1; tries=$((tries - 1)); done
  box_shown && xdotool windowfocus "$(top_window Lyricue)" && xdotool key Return
  grep -aq 'LYRICS=\[00:00.50\]first line' "$flac"
}
wait_for 30 written || fail "the lyrics were not written into $flac"
echo "lyrics written into $(basename "$flac"): $(grep -ao 'LYRICS=[^\n]*line' "$flac" | head -1 | tr '\n' ' ')"
