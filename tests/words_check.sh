#!/usr/bin/env bash
# Every word the person reads is worded in src/diagnosis/wording.cpp, or for
# the diagnosis itself in texts.h; only the windows' layout tables (captions,
# accessible names) and the faces they name keep their own. Fails naming
# each line that words something elsewhere.
set -u
src=$1
export LC_ALL=C.UTF-8
japanese='[\p{Hiragana}\p{Katakana}\p{Han}]'
not_comment() { grep -vP '^\S+:\d+:\s*//' || true; }
found=$(
  # A sentence anywhere in the program.
  grep -rnP "$japanese[^\"]*[。？！]" "$src" --include=*.cpp --include=*.h |
    grep -v -e /diagnosis/wording.cpp -e /diagnosis/texts.h | not_comment
  # Any word in the windows' layer outside its layout tables.
  grep -rnP "\"[^\"]*$japanese" "$src/forms" --include=*.cpp --include=*.h |
    grep -v -e /forms/input_form.cpp -e /forms/result_form.cpp -e /forms/fonts.h \
      -e 'kProgramTitle\[\] =' | not_comment
)
if [[ -n $found ]]; then
  printf 'FAIL: worded outside src/diagnosis/wording.cpp:\n%s\n' "$found"
  exit 1
fi
echo "PASS: every word is in the words file"
