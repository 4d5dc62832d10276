#!/usr/bin/env bash
# Printing on a desktop with no printer at all: the program under an Xvfb of
# its own, CUPS_SERVER pointing at a socket where no server listens. Run the
# first example diagnosis, click メッセージ印刷, answer はい to the question,
# accept the file the save dialog proposes in the documents folder, and read
# the report's lines back with pdftotext; then the same for グラフ印刷, with a
# name typed without ".pdf" (which the dialog adds), whose page must show the
# three curve colours at the picture's own size.
#
#   tests/e2e/save_pdf_e2e.sh BUILD_DIR   (the program is BUILD_DIR/src/app/biorhythm)
#
# SAVE_PDF_E2E_SHOTS=FOLDER keeps screenshots of the question and the dialog
# and the two PDFs there. Exit 77 (skipped) when Xvfb, xdotool, iconv or
# poppler are missing (and for the pictures, xwd and ImageMagick's convert).
set -uo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
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
for tool in Xvfb xdotool pdftotext pdftoppm pdfinfo iconv od awk comm; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIPPED: $tool is not installed (scripts/setup.sh --test)"
    exit 77
  fi
done

started=$SECONDS
tmp=$(mktemp -d "${TMPDIR:-/tmp}/save_pdf_e2e.XXXXXX")
shots=${SAVE_PDF_E2E_SHOTS:-}
app_pid=
cleanup() {
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null || true
  stop_xvfb
  rm -rf "$tmp"
}
cleanup_at_exit
# Keeps a picture of window $2 as $1.png. The window itself: with no window
# manager a grab of the root shows a modal window black.
shoot() {
  [[ -n $shots ]] || return 0
  mkdir -p "$shots"
  sleep 1 # let the window finish painting
  xwd -id "$2" -display "$DISPLAY" | /usr/bin/convert xwd:- "$shots/$1.png"
}

start_xvfb || fail "could not start Xvfb"

# A home of its own with a documents folder, and the program in a folder of
# its own with a saved person.
home=$tmp/home
documents=$home/Documents
mkdir -p "$documents" "$home/.config" "$tmp/app"
cp "$program" "$tmp/app/biorhythm"
printf '"山田太郎","昭和","50","5","3"\r\n' | iconv -f UTF-8 -t CP932 >"$tmp/app/kojinfl.txt" ||
  fail "iconv cannot write CP932"
(
  cd "$tmp/app" || exit 1
  # No print server and no desktop: no printer, and Qt's own file dialog.
  unset PRINTER LPDEST WAYLAND_DISPLAY QT_QPA_PLATFORMTHEME XDG_CURRENT_DESKTOP DESKTOP_SESSION
  exec env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    CUPS_SERVER="$tmp/no-cups.sock" QT_QPA_PLATFORM=xcb ./biorhythm
) >"$tmp/app.log" 2>&1 &
app_pid=$!

save_dialog() { xdotool search --onlyvisible --name 'PDFファイルとして保存' 2>/dev/null | head -n 1; }

# Input window 7860 x 8565 twips, result window 10665 x 8265; the current
# date 2024/5/3 typed over the clock's: the first example.
wait_for 20 window_sized 524x571 >/dev/null || fail "the input window did not appear"
run_first_example "$(window_sized 524x571)"
wait_for 10 window_sized 711x551 >/dev/null || fail "the result window did not appear"
sindan=$(window_sized 711x551)
sleep 0.5 # let the graph be drawn before the first click lands

# Clicks the button at ($2, $3) twips, answers はい, accepts the proposed
# file or types the name $5 over it, and waits for the file $4. $1 names the
# step.
save_page() {
  local before box dialog
  before=$(program_windows)
  click_twips "$sindan" "$2" "$3"
  new_window() { comm -13 <(echo "$before") <(program_windows) | grep -q .; }
  wait_for 10 new_window || fail "$1: no question box"
  box=$(comm -13 <(echo "$before") <(program_windows) | head -n 1)
  shoot "$1-question" "$box"
  xdotool windowfocus --sync "$box" key Return # はい is the default button
  has_dialog() { [[ -n $(save_dialog) ]]; }
  wait_for 10 has_dialog || fail "$1: no save dialog after はい"
  dialog=$(save_dialog)
  shoot "$1-dialog" "$dialog"
  if [[ -n ${5:-} ]]; then
    xdotool windowfocus --sync "$dialog" key ctrl+a type "$5"
  fi
  xdotool windowfocus --sync "$dialog" key Return
  saved() { [[ -s $4 ]] && [[ -z $(save_dialog) ]]; }
  wait_for 20 saved "$@" || fail "$1: no $4 after accepting the dialog"
  window_sized 711x551 >/dev/null || fail "$1: the result window did not stay"
}

report=$documents/山田太郎_バイオリズム診断_2024年5月.pdf
graph=$documents/graph.pdf
save_page report $((4800 + 2175 / 2)) $((3840 + 375 / 2)) "$report"
save_page graph $((7320 + 1575 / 2)) $((3840 + 360 / 2)) "$graph" graph
[[ -n $shots ]] && cp "$report" "$shots/report.pdf" && cp "$graph" "$shots/graph.pdf"

for pdf in "$report" "$graph"; do
  pages=$(pdfinfo "$pdf" 2>/dev/null | awk '/^Pages:/ { print $2 }')
  [[ $pages == 1 ]] || fail "$(basename "$pdf") has ${pages:-no} pages, not 1"
done

# The report's eight lines as text (poppler reads U+3000 as a space).
expected="山田太郎さんのバイオリズム診断をします。
感情：6知性:12身体:4
心の調子は，
好調です！ 気力旺盛，感も冴えています。
頭脳の調子は，
好調です！ 頭の回転良し，重要な仕事の判断ＯＫ，難問などに挑戦するのも良いでしょう。
身体の調子は，
好調です！ 体力スタミナすべてＯＫです。"
text=$(pdftotext -enc UTF-8 "$report" - | tr -d '\f' | sed '/^[[:space:]]*$/d')
[[ $text == "$expected" ]] || fail "the report PDF reads:
$text"
echo "report: the eight lines, as text"

read -r _ _ dark blue green red xmax ymax < <(ink "$graph" 50) || fail "cannot render the graph"
echo "graph: blue $blue, green $green, red $red, dark $dark, ink up to ($xmax, $ymax)"
((blue > 200 && green > 100 && red > 100)) || fail "the graph page lacks one of the curve colours"
# 10455 x 3735 twips at 50 dpi, from the top left of the printable area.
((xmax <= 370 && ymax <= 135)) || fail "graph ink reaches ($xmax, $ymax): not at its own size in the top left"
((xmax >= 340 && ymax >= 115)) || fail "graph ink ends at ($xmax, $ymax): drawn smaller than its own size"
pdftotext -enc UTF-8 "$graph" - | grep -q 'バイオリズムグラフ' || fail "the graph PDF has no title text"

# 終了 ends the program.
click_twips "$sindan" $((9120 + 975 / 2)) $((3840 + 375 / 2))
ended() { ! kill -0 "$app_pid" 2>/dev/null; }
wait_for 10 ended || fail "終了 did not end the program"
wait "$app_pid"
status=$?
app_pid=
((status == 0)) || fail "the program exited with $status"
echo "PASS in $((SECONDS - started)) s"
