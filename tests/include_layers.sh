#!/usr/bin/env bash
# The folders of src/ are layers: each may include only from the folders
# allowed below. Fails naming every include that runs the wrong way.
set -euo pipefail
src=$1
declare -A allowed=(
  [app]="app diagnosis forms storage engine"
  [diagnosis]="diagnosis forms storage engine"
  [forms]="forms engine"
  [engine]="engine"
  [storage]="storage"
)
status=0
for layer in "${!allowed[@]}"; do
  while IFS=: read -r file line target; do
    if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
      echo "FAIL: $file:$line includes from $target/"
      status=1
    fi
  done < <(grep -rnoE '#include "[a-z]+/' "$src/$layer" | sed -E 's/#include "([a-z]+)\//\1/')
done
# The plain C++ layers stay free of Qt.
if grep -rnE '#include <Q' "$src/engine" "$src/storage"; then status=1; fi
[[ $status == 0 ]] && echo "PASS: every include runs downhill"
exit $status
