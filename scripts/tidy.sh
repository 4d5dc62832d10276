#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy at the root) over every C++ source of the
# program, the tests, the benchmarks and the fuzz target; exits non-zero on
# any finding. Builds into build-tidy first: the tests include files that
# Qt's moc generates. Several minutes on two cores, so it is not part of
# scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --test
bash scripts/build.sh build-tidy -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DBIO_BUILD_TESTS=ON \
  -DBIO_BUILD_BENCH=ON
python3 - build-tidy/compile_commands.json <<'PY' |
import json, sys
for entry in json.load(open(sys.argv[1])):
    if "/build-tidy/" not in entry["file"]:
        print(entry["file"])
PY
  sort -u | xargs -r -P "$(nproc)" -n 4 clang-tidy -p build-tidy --quiet
echo "clang-tidy: no findings"
