# Sourced by the end-to-end tests: starts a private Xvfb at 96 dpi on a free
# display and stops it when the test exits.
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
