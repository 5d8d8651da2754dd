#!/usr/bin/env bash
# Prints how much of the code is tests: the lines cloc calls code (neither blank nor comment) of
# every tracked file under tests/ and fuzz/ against those under src/, the resource script
# included.
#   test-size.sh [--max PERCENT]   exits 1 when the tests are above PERCENT
set -euo pipefail
max=
if [ "${1-}" = --max ]; then max=${2:?--max needs a percentage}; fi
cd "$(dirname "$0")/.."
command -v cloc >/dev/null || { echo "test-size.sh: needs cloc (make bootstrap installs it)" >&2; exit 2; }

# Code lines of the tracked files under the given folders.
code_lines() {
    cloc --vcs=git --csv --quiet "$@" | awk -F, '$2 == "SUM" { n = $5 } END { print n + 0 }'
}
code=$(code_lines src)
tests=$(code_lines tests fuzz)
total=$((code + tests))
awk -v t="$tests" -v a="$total" -v max="$max" 'BEGIN {
    pct = a ? 100 * t / a : 0
    printf "Test code: %d of %d code lines (%.1f %%); the aim is 25-33 %%\n", t, a, pct
    if (max != "" && pct > max + 0) {
        printf "test-size.sh: the tests are above %s %% of the code\n", max > "/dev/stderr"
        exit 1
    }
}'
