#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: first the whole suite
# under AddressSanitizer and UndefinedBehaviorSanitizer, then the plain build.
#   scripts/test.sh              both
#   scripts/test.sh --sanitize   only the sanitizer build
#   scripts/test.sh --plain      only the plain build
set -euo pipefail
cd "$(dirname "$0")/.."
mode=${1:-all}
case $mode in
  all | --sanitize | --plain) ;;
  *) echo "usage: scripts/test.sh [--sanitize | --plain]" >&2; exit 2 ;;
esac
bash scripts/setup.sh --test

if [[ $mode == all || $mode == --sanitize ]]; then
  bash scripts/build.sh build-asan -DBIO_WERROR=ON -DBIO_SANITIZE=ON -DBIO_BUILD_TESTS=ON \
    -DBIO_BUILD_BENCH=OFF
  ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp \
    UBSAN_OPTIONS=print_stacktrace=1 ctest --test-dir build-asan --output-on-failure --no-tests=error -j 2
fi
if [[ $mode == all || $mode == --plain ]]; then
  bash scripts/build.sh build -DBIO_WERROR=ON -DBIO_BUILD_TESTS=ON -DBIO_BUILD_BENCH=ON
  ctest --test-dir build --output-on-failure --no-tests=error -j 2
fi
