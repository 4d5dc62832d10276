#!/usr/bin/env bash
# Started where the platform it is to use has no screen: one line in Japanese
# and one in English on stderr, and status 1, before Qt could abort. Where
# the platform needs no screen, named on the command line or in
# QT_QPA_PLATFORM, the program starts (and is still running after 3 s).
set -uo pipefail
program=${1:?usage: $0 PROGRAM}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

status=0
# expected outcome | environment added to one without any display | arguments
while IFS='|' read -r expected environment arguments; do
  expected=${expected// /}
  read -ra env_words <<<"$environment"
  read -ra arg_words <<<"$arguments"
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM HOME="$work" XDG_RUNTIME_DIR="$work" \
    "${env_words[@]}" timeout 3 "$program" "${arg_words[@]}" 2>&1 >/dev/null)
  code=$?
  said=no
  [[ $out == *デスクトップ*xvfb-run*desktop\ session*xvfb-run* ]] && said=yes
  case $expected in
    message) [[ $code == 1 && $said == yes ]] ;;
    starts) [[ $code == 124 && $said == no ]] ;;
  esac
  if [[ $? == 0 ]]; then
    echo "PASS: $expected with [$environment] [$arguments]"
  else
    printf 'FAIL: %s expected with [%s] [%s]: status %s\n%s\n' \
      "$expected" "$environment" "$arguments" "$code" "$out"
    status=1
  fi
done <<'ROWS'
message |                              |
message | DISPLAY=                     |
message | QT_QPA_PLATFORM=xcb          |
message | QT_QPA_PLATFORM=wayland      |
message | WAYLAND_DISPLAY=wayland-9    | -platform xcb
message |                              | -platform=xcb
message | QT_QPA_PLATFORM=offscreen    | -platform xcb
starts  | QT_QPA_PLATFORM=offscreen    |
starts  | QT_QPA_PLATFORM=minimal      |
starts  |                              | -platform offscreen
starts  |                              | -platform=offscreen
starts  | QT_QPA_PLATFORM=xcb          | -platform vnc:port=0
ROWS
exit $status
