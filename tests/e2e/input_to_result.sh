#!/usr/bin/env bash
# As a person would: start the program on a machine where it has never run,
# type a person and a birth date, press Enter, and find the result window
# and the saved kojinfl.txt.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb.sh"

work=$(mktemp -d)
app_pid=
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT

cp "$build/src/app/biorhythm" "$work/"
start_xvfb
"$work/biorhythm" >"$work/log" 2>&1 &
app_pid=$!

input=$(wait_for_window 524x571) || { echo "FAIL: no input window"; cat "$work/log"; exit 1; }
type_taro "$input"

result=$(wait_for_window 711x551) || { echo "FAIL: no result window"; cat "$work/log"; exit 1; }
if xdotool search --onlyvisible --name 'バイオリズム診断' | grep -qx "$input"; then
  echo "FAIL: the input window is still shown"
  exit 1
fi

if ! cmp -s <(printf "$TARO_RECORD") "$work/kojinfl.txt"; then
  echo "FAIL: kojinfl.txt holds:"
  od -An -tx1 "$work/kojinfl.txt" || true
  exit 1
fi

# 終了 ends the program.
xdotool mousemove --window "$result" 640 268 click 1
for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app_pid" 2>/dev/null; then
  echo "FAIL: the program is still running after 終了"
  exit 1
fi
app_pid=
echo "PASS: input window -> result window, kojinfl.txt saved, 終了 ends the program"
