#!/usr/bin/env bash
# The two print buttons on a real print system. A private CUPS server whose
# default printer is a cups-pdf queue, the program under an Xvfb of its own:
# run the first example diagnosis, click メッセージ印刷 and グラフ印刷, and check
# the two PDFs that come out as pictures (black ink only on the first; the
# three curve colours in the top left of the second, at the picture's own
# size). Then the queue rejects jobs, and then it is deleted: each time a
# click must bring up a message box (the second asks whether to save a PDF
# instead, and is answered いいえ), print nothing and leave the result window,
# which finally ends the program with 終了.
#
#   tests/e2e/print_e2e.sh BUILD_DIR      (the program is BUILD_DIR/src/app/biorhythm)
#
# Exit 77 (skipped) when cups, cups-pdf, Xvfb, xdotool, iconv or poppler are
# missing, or when the cups-pdf backend cannot be run as root.
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/cups-test-env.sh disable=SC1091
source "$here/../../scripts/cups-test-env.sh"
# shellcheck source=tests/e2e/xvfb.sh disable=SC1091
source "$here/xvfb.sh"
# shellcheck source=tests/e2e/ink.sh disable=SC1091
source "$here/ink.sh"

build=${1:?usage: $0 BUILD_DIR}
program=$build/src/app/biorhythm
if [[ ! -x $program ]]; then
  echo "FAIL: no program at $program"
  exit 1
fi

for tool in Xvfb xdotool pdftoppm pdfinfo iconv od awk comm; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (scripts/setup.sh --test)"
    exit 77
  fi
done
cups_env_check || exit $?

started=$SECONDS
tmp=$(mktemp -d "${TMPDIR:-/tmp}/print_e2e.XXXXXX")
chmod 755 "$tmp" # cupsd's filters run as lp and must reach the spool inside
app_pid=

cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null || true
  stop_xvfb
  cups_env_stop
  if [[ -n ${KEEP_PRINT_E2E:-} ]]; then
    echo "kept $tmp"
  else
    rm -rf "$tmp"
  fi
}
cleanup_at_exit

fail() {
  echo "FAIL: $*"
  for log in "$tmp"/app.log "$tmp"/cups/log/error_log "$tmp"/cups/log/cups-pdf-*_log; do
    [[ -s $log ]] && { echo "--- $log"; tail -n 30 "$log"; }
  done
  exit 1
}

# --- the print system ------------------------------------------------------
cups_env_start "$tmp/cups" || fail "could not start the private CUPS server"

# --- the display: a private Xvfb at 96 dpi on a free display ---------------------
start_xvfb || fail "could not start Xvfb"

# --- the program, in a folder of its own with a saved person -------------------
mkdir "$tmp/app"
cp "$program" "$tmp/app/biorhythm"
printf '"山田太郎","昭和","50","5","3"\r\n' | iconv -f UTF-8 -t CP932 >"$tmp/app/kojinfl.txt" ||
  fail "iconv cannot write CP932"
(
  cd "$tmp/app" || exit 1
  unset PRINTER LPDEST WAYLAND_DISPLAY
  exec env CUPS_SERVER="$CUPS_ENV_SOCKET" QT_QPA_PLATFORM=xcb ./biorhythm
) >"$tmp/app.log" 2>&1 &
app_pid=$!

pdf_count() { find "$CUPS_ENV_OUT" -name '*.pdf' | wc -l; }
jobs_done() { [[ -z $(lpstat -h "$CUPS_ENV_SOCKET" -o 2>/dev/null) ]]; }
has_pdfs() { (($(pdf_count) >= $1)) && jobs_done; }

# Input window 7860 x 8565 twips, result window 10665 x 8265.
wait_for 20 window_sized 524x571 >/dev/null || fail "the input window did not appear"
run_first_example "$(window_sized 524x571)"
wait_for 10 window_sized 711x551 >/dev/null || fail "the result window did not appear"
sindan=$(window_sized 711x551)
sleep 0.5 # let the graph be drawn before the first click lands

# --- メッセージ印刷, then グラフ印刷: one PDF each --------------------------------
click_twips "$sindan" $((4800 + 2175 / 2)) $((3840 + 375 / 2))
wait_for 20 has_pdfs 1 || fail "メッセージ印刷 gave no PDF within 20 s"
report=$(find "$CUPS_ENV_OUT" -name '*.pdf')
click_twips "$sindan" $((7320 + 1575 / 2)) $((3840 + 360 / 2))
wait_for 20 has_pdfs 2 || fail "グラフ印刷 gave no second PDF within 20 s"
graph=$(find "$CUPS_ENV_OUT" -name '*.pdf' ! -path "$report")
cp "$report" "$tmp/report.pdf"
cp "$graph" "$tmp/graph.pdf"

for pdf in "$tmp/report.pdf" "$tmp/graph.pdf"; do
  pages=$(pdfinfo "$pdf" 2>/dev/null | awk '/^Pages:/ { print $2 }')
  [[ $pages == 1 ]] || fail "$(basename "$pdf") has ${pages:-no} pages, not 1"
done

read -r _ _ dark blue green red _ _ < <(ink "$tmp/report.pdf" 50) || fail "cannot render the report"
echo "report: $dark dark pixels, colour $blue/$green/$red"
((dark > 300)) || fail "the report page is (nearly) blank"
((blue + green + red == 0)) || fail "the report page has coloured ink: the graph came out instead?"
# No text check: cups-pdf's round trip through PostScript drops the mapping
# from glyphs back to characters; the PDF unit test reads the text instead.

read -r width height dark blue green red xmax ymax < <(ink "$tmp/graph.pdf" 50) ||
  fail "cannot render the graph"
echo "graph: page ${width}x$height px at 50 dpi, blue $blue, green $green, red $red, ink up to ($xmax, $ymax)"
((blue > 200 && green > 100 && red > 100)) || fail "the graph page lacks one of the curve colours"
# 10455 x 3735 twips is 7.26 x 2.59 inches; at 50 dpi 363 x 130 pixels, from
# the top left of the printable area, which Qt's page layout puts 10 pt in
# even on the margin-less CUPS-PDF page.
((xmax <= 370 && ymax <= 135)) || fail "graph ink reaches ($xmax, $ymax): not at its own size in the top left"
((xmax >= 340 && ymax >= 115)) || fail "graph ink ends at ($xmax, $ymax): drawn smaller than its own size"

# --- a message, no page, and the result window stays --------------------------
# Clicks メッセージ印刷 and expects a message box over the result window; the
# key $2 closes it. $1 names the case.
expect_message_box() {
  local before box
  before=$(program_windows)
  click_twips "$sindan" $((4800 + 2175 / 2)) $((3840 + 375 / 2))
  new_window() { comm -13 <(echo "$before") <(program_windows) | grep -q .; }
  wait_for 10 new_window || fail "$1: no message box"
  box=$(comm -13 <(echo "$before") <(program_windows) | head -n 1)
  echo "$1: message box $(xdotool getwindowgeometry "$box" | awk '/Geometry/ { print $2 }')"
  sleep 1
  (($(pdf_count) == 2)) || fail "$1: a PDF came out all the same"
  xdotool windowfocus --sync "$box" key "$2"
  gone() { ! program_windows | grep -qx "$box"; }
  wait_for 10 gone || fail "$1: the message box did not close on $2"
  window_sized 711x551 >/dev/null || fail "$1: the result window did not stay"
}

# The queue refuses jobs: Qt reports success, the program must not.
cupsreject -h "$CUPS_ENV_SOCKET" "$CUPS_ENV_QUEUE" || fail "cupsreject failed"
expect_message_box "queue rejecting jobs" Return
# The queue is gone, no printer at all: the box offers a PDF file instead;
# Escape says いいえ (save_pdf_e2e.sh says はい).
lpadmin -h "$CUPS_ENV_SOCKET" -x "$CUPS_ENV_QUEUE" || fail "lpadmin -x failed"
expect_message_box "queue deleted" Escape

# 終了 ends the program.
click_twips "$sindan" $((9120 + 975 / 2)) $((3840 + 375 / 2))
ended() { ! kill -0 "$app_pid" 2>/dev/null; }
wait_for 10 ended || fail "終了 did not end the program"
wait "$app_pid"
status=$?
app_pid=
((status == 0)) || fail "the program exited with $status"

echo "PASS in $((SECONDS - started)) s"
