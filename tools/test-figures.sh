#!/usr/bin/env bash
# Prints the figures that the robustness tests report (faults tried, kills
# survived, memory of the largest line) from the last ctest run of a build,
# since ctest shows only the output of failing tests.
#   test-figures.sh BUILD_DIR
set -euo pipefail
log=$1/Testing/Temporary/LastTest.log
[ -f "$log" ] || { echo "test-figures.sh: no test log in $1" >&2; exit 2; }
awk -v build="$1" '
    /^Fault matrix .*: [0-9]+ faults tried/ { faults += $(NF - 2); cases++ }
    /^Kill test: / || /^One line of / { print build ": " $0 }
    END { if (cases) printf "%s: fault matrix: %d faults tried in %d cases\n", build, faults, cases }
' "$log"
