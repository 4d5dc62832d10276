#!/bin/sh
# Builds the kojinfl.txt reader's fuzz target with clang's libFuzzer, ASan and
# UBSan, and runs it for a while.
#   fuzz/run_fuzz.sh [seconds]          (default 300)
# Environment: CXX (default clang++), FUZZ_BUILD_DIR (default a folder under
# /tmp). New inputs go to $FUZZ_BUILD_DIR/corpus; the checked-in corpus is only
# read. Copy a finding into fuzz/corpus/personal_file/ once it is fixed.
set -eu

seconds=${1:-300}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
cxx=${CXX:-clang++}

if ! command -v "$cxx" >/dev/null 2>&1; then
  echo "run_fuzz.sh: $cxx not found; skipping the fuzz run (install clang to fuzz)."
  exit 0
fi

build=${FUZZ_BUILD_DIR:-${TMPDIR:-/tmp}/bio-fuzz}
mkdir -p "$build/corpus"

"$cxx" -std=c++20 -g -O1 -Wall -Wextra -ffp-contract=off \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer \
  -I"$root/src" \
  "$here/personal_file_fuzzer.cpp" "$root"/src/storage/*.cpp \
  -o "$build/personal_file_fuzzer"

cd "$build"
exec ./personal_file_fuzzer -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
  -dict="$here/personal_file.dict" -print_final_stats=1 \
  "$build/corpus" "$here/corpus/personal_file"
