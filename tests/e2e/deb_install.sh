#!/usr/bin/env bash
# The Debian package as a person would use it: built from the build tree
# (BUILD_DIR), free of lintian errors, installed with apt, its menu entry and
# metadata valid, started from the entry's Exec line as nobody and then as
# root; Taro typed and Enter pressed must land in each one's
# ~/.local/share/biorhythm, never in /usr/bin. Purging the package must leave
# none of its files behind. It changes the machine's packages, so it runs
# only in CI (CI=true) or when asked for (BIO_TEST_DEB_INSTALL=1), and as
# root; otherwise, or when the package is installed already, it is skipped (77).
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR}
source "$(dirname "$0")/xvfb.sh"

if [[ ${CI:-} != true && ${BIO_TEST_DEB_INSTALL:-} != 1 ]]; then
  echo "SKIPPED: installs and purges a system package; runs in CI or with BIO_TEST_DEB_INSTALL=1"
  exit 77
fi
[[ $(id -u) == 0 ]] || { echo "SKIPPED: installing a package needs root"; exit 77; }
exec 9>/run/lock/biorhythm-deb-e2e.lock  # one install at a time, whichever build tree
flock -w 600 9
if dpkg-query -W -f='${Status}' biorhythm 2>/dev/null | grep -q 'ok installed'; then
  echo "SKIPPED: the biorhythm package is installed already; not touching it"
  exit 77
fi

work=$(mktemp -d)
chmod 755 "$work"  # nobody's home is inside
app_pid= installed=
cleanup() {
  set +e
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null
  stop_xvfb
  [[ -n $installed ]] && dpkg --purge biorhythm >/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

(cd "$build" && cpack -G DEB -B "$work/package" >"$work/log" 2>&1) || { cat "$work/log"; exit 1; }
# Errors fail the test; warnings and notes are shown.
lintian --allow-root "$work"/package/biorhythm_*.deb >"$work/lintian" 2>&1 || true
cat "$work/lintian"
[[ -s $work/lintian ]] || echo "lintian: no error, warning or note"
if grep -q '^E:' "$work/lintian"; then echo "FAIL: lintian reports errors"; exit 1; fi
installed=1
# Every dependency is installed already (scripts/setup.sh): no download.
DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=300 \
  "$work"/package/biorhythm_*.deb >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
desktop=$(dpkg -L biorhythm | grep '^/usr/share/applications/.*\.desktop$')
desktop-file-validate "$desktop"
appstreamcli validate --no-net "$(dpkg -L biorhythm | grep '^/usr/share/metainfo/')"
dpkg -L biorhythm | grep -q '^/usr/share/icons/hicolor/scalable/apps/.*\.svg$'

start_xvfb
read -ra command <<<"$(sed -n 's/^Exec=//p' "$desktop")"

# Starts the menu entry's command with a fresh home as the user given (an
# ordinary user's or root's), types Taro and checks where he was saved.
run_as() {
  local who=$1 home=$work/home-$1
  local -a as=()
  mkdir -m 700 "$home" "$work/runtime-$who"
  if [[ $who != root ]]; then
    chown 65534:65534 "$home" "$work/runtime-$who"
    as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  fi
  "${as[@]}" env -i HOME="$home" LANG=C.UTF-8 XDG_RUNTIME_DIR="$work/runtime-$who" \
    DISPLAY="$DISPLAY" PATH=/usr/bin:/bin "${command[@]}" >"$work/log" 2>&1 &
  app_pid=$!
  input=$(wait_for_window 524x571) || { echo "FAIL: no input window"; cat "$work/log"; exit 1; }
  type_taro "$input"
  wait_for_window 711x551 >/dev/null || { echo "FAIL: no result window"; cat "$work/log"; exit 1; }
  local saved=$home/.local/share/biorhythm/kojinfl.txt stray
  for stray in /usr/bin/kojinfl*; do
    [[ -e $stray ]] || continue
    rm -f "$stray"  # not the package's, so the purge would leave it
    echo "FAIL: $who wrote $stray"
    exit 1
  done
  cmp -s <(printf "$TARO_RECORD") "$saved" || { echo "FAIL: $saved is not Taro's record"; exit 1; }
  kill "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=
  echo "saved by $who: $saved"
}
run_as nobody
run_as root  # may write /usr/bin, and still gets a folder of its own
echo "PASS: the package installs, validates, and its program saves into the user's folder"

mapfile -t files < <(dpkg -L biorhythm)
dpkg --purge biorhythm >/dev/null
installed=
for f in "${files[@]}"; do
  if [[ -e $f && ! -d $f ]] || [[ $f == */biorhythm && -e $f ]]; then
    echo "FAIL: $f is left after the purge"
    exit 1
  fi
done
echo "PASS: purging leaves none of the package's files"
