#!/usr/bin/env bash
# Two packages of one commit are the same bytes, though made at different
# times and from sources whose modification times changed, as a fresh clone
# changes them: every time stamp in the package comes from SOURCE_DATE_EPOCH,
# which CPack sets from the last commit (packaging/source_date.cmake), and
# nothing in the program depends on the clock or on a file's time.
#  1. Two packages a second apart: the archives' and the files' time stamps.
#  2. The icon, the one file compiled into the program (as a resource), made
#     newer and the package's program rebuilt and installed as the package
#     installs it: the program must not change. Packing again would relink
#     every program of the tree, so the program alone is compared, and the
#     icon's time and the parts rebuilt are put back afterwards, leaving the
#     build tree as it was.
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR SOURCE_DIR}
icon=${2:?usage: $0 BUILD_DIR SOURCE_DIR}/src/forms/icon.svg
work=$(mktemp -d)
restore() {
  if [[ -d $work/saved ]]; then  # only a whole copy
    rm -rf "$build/src/forms" && mv "$work/saved/forms" "$build/src/forms"
    mv "$work/saved/biorhythm-installed" "$build/packaging/biorhythm-installed"
    touch -r "$work/saved/icon-time" "$icon"
  fi
  rm -rf "$work"
}
trap restore EXIT

pack() {
  (cd "$build" && env -u SOURCE_DATE_EPOCH cpack -G DEB -B "$work/$1" >"$work/log" 2>&1) ||
    { cat "$work/log"; exit 1; }
}
pack first
sleep 1.1  # into the next second
pack second
sha256sum "$work"/{first,second}/biorhythm_*.deb
if ! cmp "$work"/{first,second}/biorhythm_*.deb; then
  for m in first second; do
    echo "== $m"
    (cd "$work/$m" && ar tv biorhythm_*.deb && ar x biorhythm_*.deb && tar tvzf data.tar.gz)
  done
  echo "FAIL: two packages of one commit differ"
  exit 1
fi
echo "PASS: two packages made apart in time are the same bytes"

mkdir "$work/packed"
dpkg-deb -x "$work"/first/biorhythm_*.deb "$work/packed"
mkdir "$work/saving"
touch -r "$icon" "$work/saving/icon-time"
cp -a "$build/src/forms" "$build/packaging/biorhythm-installed" "$work/saving/"
mv "$work/saving" "$work/saved"
touch "$icon"
cmake --build "$build" --target biorhythm-installed >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
DESTDIR=$work/installed cmake --install "$build" --component deb --prefix /usr --strip \
  >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
if ! cmp "$work"/{packed,installed}/usr/bin/biorhythm; then
  readelf -n "$work"/{packed,installed}/usr/bin/biorhythm | grep -e File: -e 'Build ID'
  echo "FAIL: the program changes with the icon's modification time"
  exit 1
fi
echo "PASS: the program does not change with its sources' modification times"
