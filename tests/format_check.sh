#!/usr/bin/env bash
# Fails, naming the files, when a C++ file of the project is not laid out as
# .clang-format says; `clang-format -i FILE` puts it right.
set -uo pipefail
cd "${1:?usage: $0 SOURCE_DIR}"
mapfile -t files < <(find src tests bench fuzz -name '*.cpp' -o -name '*.h' | sort)
status=0
for file in "${files[@]}"; do
  clang-format --dry-run --Werror "$file" 2>/dev/null || { echo "not formatted: $file"; status=1; }
done
echo "checked ${#files[@]} files"
exit $status
