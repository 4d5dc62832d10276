#!/usr/bin/env bash
# What a screen reader finds: the program under an Xvfb, a D-Bus session and
# an AT-SPI bus of its own, its tree read with pyatspi. Tab from the button
# stops on the chosen era and then leaves the group; every text box of both
# windows answers each text question a screen reader asks on a caret move at
# once (Qt 6.4's own answer never came for Japanese text); the result window's
# values are named by their labels, the list and the graph are named, and
# the graph's description names the days the curves' formula gives; Enter
# on a focused print button, with no printer, brings the PDF question.
#
#   tests/e2e/accessibility_e2e.sh BUILD_DIR
#
# Exit 77 (skipped) when Xvfb, xdotool, dbus-launch, the AT-SPI bus or
# pyatspi are missing (scripts/setup.sh --test installs them).
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/e2e/xvfb.sh disable=SC1091
source "$here/xvfb.sh"

build=${1:?usage: $0 BUILD_DIR}
program=$build/src/app/biorhythm
[[ -x $program ]] || { echo "FAIL: no program at $program"; exit 1; }
bus_launcher=/usr/libexec/at-spi-bus-launcher
for tool in Xvfb xdotool dbus-launch iconv "$bus_launcher"; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIPPED: no $tool (scripts/setup.sh --test)"; exit 77; }
done
# The system's Python: pyatspi is a Debian package, not a pip one.
python=/usr/bin/python3
"$python" -c 'import pyatspi' 2>/dev/null || { echo "SKIPPED: no pyatspi (python3-pyatspi)"; exit 77; }
tree() { "$python" "$here/accessibility_tree.py" "$@"; }

started=$SECONDS
tmp=$(mktemp -d "${TMPDIR:-/tmp}/accessibility_e2e.XXXXXX")
app_pid= bus_pid=
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  [[ -n $bus_pid ]] && kill "$bus_pid" 2>/dev/null && wait "$bus_pid" 2>/dev/null
  [[ -n ${DBUS_SESSION_BUS_PID:-} ]] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null
  stop_xvfb
  rm -rf "$tmp"
}
cleanup_at_exit

start_xvfb || fail "could not start Xvfb"
eval "$(dbus-launch --sh-syntax)" || fail "could not start a D-Bus session"
"$bus_launcher" --launch-immediately >"$tmp/bus.log" 2>&1 &
bus_pid=$!
has_bus() { dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1; }
wait_for 10 has_bus || fail "the AT-SPI bus did not start"

mkdir -p "$tmp/app" "$tmp/home"
cp "$program" "$tmp/app/biorhythm"
printf '"山田太郎","昭和","50","5","3"\r\n' | iconv -f UTF-8 -t CP932 >"$tmp/app/kojinfl.txt" ||
  fail "iconv cannot write CP932"
(
  cd "$tmp/app" || exit 1
  # No print server: no printer, so a print button asks about a PDF.
  unset PRINTER LPDEST WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME
  exec env HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" CUPS_SERVER="$tmp/no-cups.sock" \
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 ./biorhythm
) >"$tmp/app.log" 2>&1 &
app_pid=$!

wait_for 20 window_sized 524x571 >/dev/null || fail "the input window did not appear"
input=$(window_sized 524x571)
xdotool windowfocus --sync "$input"
focus_is() { [[ $(tree focused) == "$1" ]]; }
expect_focus() { wait_for 10 focus_is "$1" || fail "$2: the focus is on '$(tree focused)', not '$1'"; }

expect_focus "push button|バイオリズム実行" "at the start"
tree segments || fail "the input window's text boxes"
echo "input window: every text box answers each text question at once"

# The era group is one stop: the chosen era, then on to the year.
xdotool key Tab
expect_focus "radio button|昭和" "Tab from the button"
xdotool key Tab
expect_focus "text|生年月日入力 年" "Tab from the era"
echo "Tab: the button, 昭和, the year"

type_target_date "$input" 2026 12 8
xdotool key Return
wait_for 10 window_sized 711x551 >/dev/null || fail "the result window did not appear"
tree result 1975-05-03 2026-12-08 || fail "the result window's tree"
echo "result window: values named, list and graph named, the graph's days right"
tree segments || fail "the result window's text boxes"
echo "result window: every text box answers each text question at once"

# Shift+Tab from the first value goes round to the last button.
expect_focus "text|身体" "in the result window"
xdotool key shift+Tab
expect_focus "push button|メッセージ印刷" "Shift+Tab from 身体"
xdotool key Return
tree alert "PDF" || fail "Enter on メッセージ印刷 brought no PDF question"
echo "Enter on メッセージ印刷: the PDF question"
echo "PASS in $((SECONDS - started)) s"
