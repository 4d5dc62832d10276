# Sourced by the end-to-end tests: starts a private Xvfb at 96 dpi on a free
# display and stops it when the test exits; finds the program's windows and
# types a person into the input window.

# A desktop session runs in a UTF-8 locale; without one Qt writes the
# window's old-style title (WM_NAME) in Latin-1 and xdotool cannot find
# バイオリズム診断 by name.
export LC_ALL=C.UTF-8

# The test's own `cleanup` runs when it ends, after Ctrl-C or a kill too.
cleanup_at_exit() {
  trap cleanup EXIT
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

# Ends the test as failed, with the end of the program's log ($tmp/app.log).
fail() {
  echo "FAIL: $*"
  [[ -s $tmp/app.log ]] && { echo "--- app.log"; tail -n 30 "$tmp/app.log"; }
  exit 1
}

start_xvfb() {
  # -displayfd lets the server pick a free display and tell us which.
  local fifo n
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  # -noreset: the server would otherwise reset (and forget its key
  # bindings) whenever its last client leaves, and refuse the next program
  # for a moment.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  if ! read -r -t 10 n <"$fifo"; then
    rm -f "$fifo"
    echo "could not start Xvfb" >&2
    return 1
  fi
  rm -f "$fifo"
  export DISPLAY=":$n"
}

stop_xvfb() {
  [[ -n ${XVFB_PID:-} ]] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
  return 0
}

# Waits up to 30 s (a loaded machine starts slowly) for a visible window titled バイオリズム診断 of the given size.
wait_for_window() {
  local size=$1 id
  for _ in $(seq 300); do
    for id in $(xdotool search --onlyvisible --name 'バイオリズム診断' 2>/dev/null); do
      if xwininfo -id "$id" | grep -q "geometry ${size}+"; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

# Chooses the era option at height `era_y` of the input window given, types
# name, era year, month and day (an empty text leaves its box empty), and
# presses Enter.
type_person() {
  local input=$1 era_y=$2 name=$3 year=$4 month=$5 day=$6 field x y text
  xdotool windowactivate --sync "$input" 2>/dev/null || xdotool windowfocus --sync "$input"
  xdotool mousemove --window "$input" 90 "$era_y" click 1
  # Centres of the name box and the era year, month and day boxes, in pixels.
  for field in "150:52:$name" "180:182:$year" "284:182:$month" "396:182:$day"; do
    IFS=: read -r x y text <<<"$field"
    xdotool mousemove --window "$input" "$x" "$y" click 1
    [[ -z $text ]] || xdotool type --delay 10 "$text"
  done
  xdotool key Return
}

# The era options' heights: 昭和 is the third, 令和 the fifth.
SHOWA_Y=190
REIWA_Y=260

# Types Taro, born 昭和 50-5-3, into the input window given and presses
# Enter; kojinfl.txt must then hold the bytes of $TARO_RECORD (printf form).
TARO_RECORD='"Taro","\x8f\xba\x98\x61","50","5","3"\r\n'
type_taro() { type_person "$1" "$SHOWA_Y" Taro 50 5 3; }

# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

# The program's visible window of the given size (no window manager: the X
# window is the client area), or nothing.
window_sized() {
  local w
  for w in $(xdotool search --onlyvisible --name 'バイオリズム' 2>/dev/null); do
    if xdotool getwindowgeometry "$w" 2>/dev/null | grep -q "Geometry: $1\$"; then
      echo "$w"
      return 0
    fi
  done
  return 1
}
program_windows() { xdotool search --onlyvisible --name 'バイオリズム' 2>/dev/null | sort; }

# Clicks at a point given in twips inside a window's client area.
click_twips() {
  xdotool mousemove --window "$1" $(($2 / 15)) $(($3 / 15)) click 1
}

# Types year $2, month $3 and day $4 over the clock's date in the input
# window $1. Text4..Text6 sit in Frame2 at (840, 6120), 420 twips high.
type_target_date() {
  local field
  xdotool windowfocus --sync "$1"
  for field in $((1320 + 855 / 2)):$2 $((3360 + 495 / 2)):$3 $((5040 + 495 / 2)):$4; do
    click_twips "$1" $((840 + ${field%%:*})) $((6120 + 555 + 420 / 2))
    xdotool key ctrl+a type --delay 10 "${field#*:}"
  done
}

# Types the current date 2024/5/3 over the clock's into the input window
# given and clicks バイオリズム実行: with 昭和 50-5-3 saved, the first
# example, whatever day the test runs.
run_first_example() {
  type_target_date "$1" 2024 5 3
  click_twips "$1" $((2760 + 2535 / 2)) $((5280 + 495 / 2)) # バイオリズム実行
}
