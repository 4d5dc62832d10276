#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
bash scripts/build.sh build -DBIO_WERROR=OFF -DBIO_BUILD_TESTS=OFF -DBIO_BUILD_BENCH=OFF
# exec: the program's exit status is the script's (1 with no desktop session).
exec ./build/src/app/biorhythm
