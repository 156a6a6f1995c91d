#!/bin/sh
# Prints how many lines of tests there are for each line of code: hand-written C++ and
# Python under tests/, fuzz/ and bench/ against src/ and tools/, without blank lines,
# comment lines, preprocessor lines or generated files (a "generated" mark in their first
# lines). The aim is a quarter to a third.
cd "$(dirname "$0")/.." || exit 1
count() {
  git ls-files -- "$@" | grep -E '\.(c|cc|cpp|cxx|h|hh|hpp|inc|py)$' |
    while read -r file; do head -n 5 "$file" | grep -qi generated || echo "$file"; done |
    xargs -r cat | grep -c -v -E '^\s*(//.*|#.*)?$'
}
tests=$(count tests fuzz bench)
code=$(count src tools)
[ "${code:-0}" -gt 0 ] || { echo "tests/code: no git checkout to count"; exit 0; }
awk -v t="$tests" -v c="$code" 'BEGIN {
  printf "tests/code: %d lines of tests for %d lines of code, %.2f (aim: 0.25 to 0.35)\n", t, c, t / c
}'
