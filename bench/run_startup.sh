#!/usr/bin/env bash
# Runs startup_bench on a private Xvfb, so that all probes get a real X
# server and nothing on a desktop (compositor, other windows) skews them.
# Arguments go to startup_bench (e.g. --runs 30 --verbose).
# BIO_BUILD_DIR: the build tree (default: build/ beside bench/).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
bin=${BIO_BUILD_DIR:-$here/../build}/bench
for exe in startup_bench biorhythm_probe bare_window japanese_window; do
  if [[ ! -x $bin/$exe ]]; then
    echo "run_startup.sh: $bin/$exe missing; build it first:" >&2
    echo "  cmake --build ${BIO_BUILD_DIR:-build} --target startup_bench biorhythm_probe bare_window japanese_window" >&2
    exit 2
  fi
done
command -v Xvfb >/dev/null || { echo "run_startup.sh: Xvfb not installed (apt-get install xvfb)" >&2; exit 2; }

# -displayfd lets Xvfb pick a free display and tell us which, once it accepts
# clients. 96 dpi: the resolution the windows were laid out for.
number_file=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$number_file" 2>/dev/null &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null; rm -f "$number_file"' EXIT

for _ in $(seq 200); do
  [[ -s $number_file ]] && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "run_startup.sh: Xvfb did not start" >&2; exit 1; }
  sleep 0.05
done
[[ -s $number_file ]] || { echo "run_startup.sh: Xvfb gave no display number" >&2; exit 1; }

DISPLAY=:$(head -n1 "$number_file") "$bin/startup_bench" "$@"
