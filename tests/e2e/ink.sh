# shellcheck shell=bash
# Sourced by the end-to-end tests that check printed pages.
#
# ink PDF DPI: the ink on the PDF's first page rendered at DPI, as
# "width height dark blue green red xmax ymax", xmax/ymax being the far
# corner of the coloured ink, in pixels.
ink() {
  local ppm
  ppm=$(mktemp -d "${TMPDIR:-/tmp}/ink.XXXXXX") || return 1
  pdftoppm -q -r "$2" -singlefile "$1" "$ppm/page" || { rm -rf "$ppm"; return 1; }
  {
    read -r magic
    read -r width height
    read -r _
    [[ $magic == P6 ]] || return 1
    od -An -v -tu1 -w3 | awk -v w="$width" -v h="$height" '
      function max(a, b) { return a > b ? a : b }
      {
        x = (NR - 1) % w; y = int((NR - 1) / w); r = $1; g = $2; b = $3
        c = ""
        if (b - max(r, g) > 50) c = "blue"
        else if (g - max(r, b) > 50) c = "green"
        else if (r - max(g, b) > 80) c = "red"
        else if (max(r, max(g, b)) < 128) dark++
        if (c != "") { n[c]++; xmax = max(xmax, x); ymax = max(ymax, y) }
      }
      END { printf "%d %d %d %d %d %d %d %d\n", w, h, dark, n["blue"], n["green"], n["red"], xmax, ymax }'
  } <"$ppm/page.ppm"
  local status=$?
  rm -rf "$ppm"
  return $status
}
