#!/usr/bin/env bash
# Started where the platform it is to use has no screen: one line in Japanese
# and one in English on stderr, and status 1, before Qt could abort. Where
# the platform needs no screen, named on the command line or in
# QT_QPA_PLATFORM, the program starts (and is still running after 3 s).
# --help and --version print on stdout and end with status 0, display or not.
set -uo pipefail
program=${1:?usage: $0 PROGRAM VERSION}
version=${2:?usage: $0 PROGRAM VERSION}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
# expected outcome | environment added to one without any display | arguments
while IFS='|' read -r expected environment arguments; do
  expected=${expected// /}
  read -ra env_words <<<"$environment"
  read -ra arg_words <<<"$arguments"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work" XDG_RUNTIME_DIR="$work" \
    "${env_words[@]}" timeout 3 "$program" "${arg_words[@]}" 2>&1 >"$work/stdout")
  code=$?
  said=no
  [[ $out == *デスクトップ*xvfb-run*desktop\ session*xvfb-run* ]] && said=yes
  printed=$(<"$work/stdout")
  case $expected in
    message) [[ $code == 1 && $said == yes ]] ;;
    starts) [[ $code == 124 && $said == no ]] ;;
    # The build's copy keeps kojinfl.txt beside itself where it may write.
    help) [[ $code == 0 && -z $out && $printed == "Usage: biorhythm "*このプログラムのフォルダ* &&
      $printed == *"kojinfl.txt beside this program"* ]] ;;
    version) [[ $code == 0 && -z $out && $printed == "biorhythm $version" ]] ;;
  esac
  if [[ $? == 0 ]]; then
    echo "PASS: $expected with [$environment] [$arguments]"
  else
    printf 'FAIL: %s expected with [%s] [%s]: status %s\n%s\n%s\n' \
      "$expected" "$environment" "$arguments" "$code" "$out" "$printed"
    status=1
  fi
done <<'ROWS'
message |                              |
message | DISPLAY=                     |
message | QT_QPA_PLATFORM=xcb          |
message | QT_QPA_PLATFORM=wayland      |
message | QT_QPA_PLATFORM=xcb:nograb   |
message | WAYLAND_DISPLAY=wayland-9    | -platform xcb
message |                              | -platform=xcb
message | QT_QPA_PLATFORM=offscreen    | -platform xcb
starts  | QT_QPA_PLATFORM=offscreen    |
starts  | QT_QPA_PLATFORM=minimal      |
starts  |                              | -platform offscreen
starts  |                              | -platform=offscreen
starts  | QT_QPA_PLATFORM=xcb          | -platform vnc:port=0
help    |                              | --help
help    | QT_QPA_PLATFORM=offscreen    | -platform offscreen -h
version |                              | --version
version | DISPLAY=:99                  | -V
version |                              | -v
ROWS
# Help that cannot be written is a failure, as for any command that prints.
if "$program" --help >/dev/full 2>/dev/null; then
  echo "FAIL: --help into a full disk ended with status 0"
  status=1
fi
exit $status
