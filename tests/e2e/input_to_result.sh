#!/usr/bin/env bash
# As a person would: start the program on a machine where it has never run,
# type a person and a birth date, press Enter, and find the result window
# and the saved kojinfl.txt. Then the ways people type dates: full-width
# digits, 元 for the first year of an era, and a forgotten month, which
# brings a message and puts the cursor back in the month box.
set -euo pipefail
build=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb.sh"

work=$(mktemp -d)
app_pid=
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT

cp "$build/src/app/biorhythm" "$work/"
start_xvfb
# Keys for the characters an input method would give, bound before any
# program starts: xdotool would otherwise rebind a key for each of them as it
# types, and a program may read that key before it has seen the new binding.
xmodmap -e "keycode 247 = U5143" -e "keycode 248 = UFF15" -e "keycode 249 = UFF10"

fail() {
  echo "FAIL: $*"
  cat "$work/log"
  exit 1
}

# Starts the program afresh (no kojinfl.txt) and types a person into it.
# Sets $input to the input window.
start_and_type() {
  rm -f "$work/kojinfl.txt"
  "$work/biorhythm" >"$work/log" 2>&1 &
  app_pid=$!
  input=$(wait_for_window 524x571) || fail "no input window"
  type_person "$input" "$@"
}

expect_file() {
  local expected=$1
  if ! cmp -s <(printf "$expected") "$work/kojinfl.txt"; then
    echo "FAIL: kojinfl.txt holds:"
    od -An -tx1 "$work/kojinfl.txt" || true
    exit 1
  fi
}

# 終了 ends the program.
quit_from() {
  xdotool mousemove --window "$1" 640 268 click 1
  for _ in $(seq 50); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app_pid" 2>/dev/null && fail "the program is still running after 終了"
  app_pid=
}

start_and_type $SHOWA_Y Taro 50 5 3
result=$(wait_for_window 711x551) || fail "no result window"
if xdotool search --onlyvisible --name 'バイオリズム診断' | grep -qx "$input"; then
  fail "the input window is still shown"
fi
expect_file "$TARO_RECORD"
quit_from "$result"
echo "PASS: input window -> result window, kojinfl.txt saved, 終了 ends the program"

start_and_type $SHOWA_Y Taro ５０ 5 3
result=$(wait_for_window 711x551) || fail "no result window for ５０"
expect_file '"Taro","\x8f\xba\x98\x61","\x82\x54\x82\x4f","5","3"\r\n'
quit_from "$result"
echo "PASS: full-width ５０ gives a diagnosis"

start_and_type $REIWA_Y Taro 元 5 1
result=$(wait_for_window 711x551) || fail "no result window for 元"
expect_file '"Taro","\x97\xdf\x98\x61","\x8c\xb3","5","1"\r\n'
quit_from "$result"
echo "PASS: 元 gives a diagnosis"

# No month: a message box over the input window; after Return the cursor
# is back in 月, so typing 5 and Enter now gives the diagnosis.
start_and_type $SHOWA_Y Taro 50 "" 3
box=
for _ in $(seq 300); do
  box=$(xdotool search --onlyvisible --name 'バイオリズム診断' | grep -vx "$input" | head -n1 || true)
  [[ -n $box ]] && break
  sleep 0.1
done
[[ -n $box ]] || fail "no message box for an empty month"
[[ -e $work/kojinfl.txt ]] && fail "kojinfl.txt was written for a refused input"
xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key Return
for _ in $(seq 100); do
  xdotool search --onlyvisible --name 'バイオリズム診断' | grep -qx "$box" || break
  sleep 0.1
done
xdotool type --delay 10 5
xdotool key Return
result=$(wait_for_window 711x551) || fail "no result window after the month was typed"
expect_file "$TARO_RECORD"
quit_from "$result"
echo "PASS: an empty month brings a message and the focus back to 月"

# The package's copy, built beside this one: though its folder is writable,
# it keeps kojinfl.txt in the user's data folder only.
cp "$build/packaging/biorhythm-installed" "$work/"
rm -f "$work/kojinfl.txt"
mkdir "$work/home"
env -u XDG_DATA_HOME HOME="$work/home" "$work/biorhythm-installed" >"$work/log" 2>&1 &
app_pid=$!
input=$(wait_for_window 524x571) || fail "no input window from the installed copy"
type_taro "$input"
result=$(wait_for_window 711x551) || fail "no result window from the installed copy"
[[ -e $work/kojinfl.txt ]] && fail "the installed copy saved beside itself"
cmp -s <(printf "$TARO_RECORD") "$work/home/.local/share/biorhythm/kojinfl.txt" ||
  fail "the installed copy did not save Taro into ~/.local/share/biorhythm"
quit_from "$result"
echo "PASS: the installed copy saves into the user's data folder"
