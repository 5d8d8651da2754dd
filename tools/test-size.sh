#!/usr/bin/env bash
# Prints how much of the code is tests: code lines (neither blank nor comment) of the tracked
# sources under tests/ and fuzz/ against those under src/.
#   test-size.sh [--max PERCENT]   exits 1 when the tests are above PERCENT
set -euo pipefail
max=
if [ "${1-}" = --max ]; then max=${2:?--max needs a percentage}; fi
cd "$(dirname "$0")/.."

# Code lines of the tracked sources under the given folders.
code_lines() {
    git ls-files -z -- "$@" | grep -zE '(\.(cpp|h|sh|cmake)|(^|/)CMakeLists\.txt)$' |
        xargs -0r awk '
            FNR == 1 { hash = FILENAME !~ /\.(cpp|h)$/; block = 0 }
            hash { if ($0 ~ /[^ \t\r]/ && $0 !~ /^[ \t]*#/) n++; next }
            {
                # Walks the line byte by byte: a // or /* inside a string or character
                # literal starts no comment.
                code = 0; quote = ""
                for (i = 1; i <= length($0); i++) {
                    c = substr($0, i, 1); two = substr($0, i, 2)
                    if (block) { if (two == "*/") { block = 0; i++ } continue }
                    if (quote != "") { if (c == "\\") i++; else if (c == quote) quote = ""; continue }
                    if (two == "//") break
                    if (two == "/*") { block = 1; i++; continue }
                    if (c == "\"" || c == "\047") quote = c
                    if (c !~ /[ \t\r]/) code = 1
                }
                n += code
            }
            END { print n + 0 }' |
        awk '{ n += $1 } END { print n + 0 }'  # xargs may start awk more than once
}
code=$(code_lines src)
tests=$(code_lines tests fuzz)
total=$((code + tests))
awk -v t="$tests" -v a="$total" -v max="$max" 'BEGIN {
    pct = a ? 100 * t / a : 0
    printf "Test code: %d of %d code lines (%.1f %%), budget 25-36 %%\n", t, a, pct
    exit (max != "" && pct > max + 0)
}'
