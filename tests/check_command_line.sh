#!/usr/bin/env bash
# Runs the program with command-line options that must be answered without a window.
# There is no display: a program that built its window here would end with Qt's
# "could not connect to display" instead of the expected answer.
set -uo pipefail
program=$1
version=$2
failures=0

# run ARGS...: sets status, out and err.
run() {
  local out_file err_file
  out_file=$(mktemp)
  err_file=$(mktemp)
  # In a subshell, so that a program killed by a signal is reported in status only.
  (timeout 20 env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" "$@" >"$out_file" 2>"$err_file"; exit $?) 2>/dev/null
  status=$?
  out=$(cat "$out_file")
  err=$(cat "$err_file")
  rm -f "$out_file" "$err_file"
}

fail() {
  echo "FAIL lyricue $1: $2"
  echo "  exit $status; stdout: ${out:0:300}"
  echo "  stderr: ${err:0:300}"
  failures=$((failures + 1))
}

# arguments | exit status | text standard output must hold | text standard error must hold
cases=(
  "--help|0|使い方: lyricue|"
  "-h|0|--version|"
  "--version|0|Lyricue $version|"
  "-v|0|Lyricue $version|"
  "-platform offscreen --version|0|Lyricue $version|"
  "-style=fusion -session restored --help|0|使い方|"
  "--no-such-option|2||不明なオプションです: --no-such-option"
  "--help --frobnicate=3|2||不明なオプションです: --frobnicate"
  "-platform|2||オプションの値が正しくありません"
  "one.mp3 two.mp3|2||開ける曲のファイルは一つです: one.mp3 two.mp3"
)
for case in "${cases[@]}"; do
  IFS='|' read -r arguments expected_status expected_out expected_err <<<"$case"
  read -ra words <<<"$arguments"
  run "${words[@]}"
  [ "$status" -eq "$expected_status" ] || { fail "$arguments" "exit status $status, expected $expected_status"; continue; }
  [[ "$out" == *"$expected_out"* ]] || { fail "$arguments" "standard output lacks '$expected_out'"; continue; }
  [[ "$err" == *"$expected_err"* ]] || { fail "$arguments" "standard error lacks '$expected_err'"; continue; }
  if [ "$expected_status" -eq 0 ] && [ -n "$err" ]; then fail "$arguments" "wrote to standard error"; continue; fi
  if [ "$expected_status" -ne 0 ] && [ -n "$out" ]; then fail "$arguments" "wrote to standard output"; continue; fi
done

# Qt's own options pass through to Qt: without a display it is Qt that gives up.
run -session restored
[[ "$err" == *"could not connect to display"* && "$err" != *"lyricue:"* ]] ||
  fail "-session restored" "did not reach Qt's start-up"

echo "$((${#cases[@]} + 1 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
