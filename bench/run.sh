#!/usr/bin/env bash
# make bench: builds kelvane-scan and the floor program, installs ripgrep
# and valgrind when they are missing and this is root, and runs the
# benchmark. By hand only: it writes a 10 000- and a 100 000-file tree
# (about 4 GB) the first time.
#   bench/run.sh [bench.py options]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native --target kelvane-scan >/dev/null
mkdir -p build/bench
for program in floor peak; do
    g++ -O2 -Wall -Wextra -Werror -o "build/bench/$program" "bench/$program.cpp"
done
for tool in rg:ripgrep valgrind:valgrind; do
    if ! command -v "${tool%%:*}" >/dev/null && [ "$(id -u)" -eq 0 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${tool#*:}" >/dev/null || true
    fi
done
exec python3 bench/bench.py --scanner build/native/src/kelvane-scan --floor build/bench/floor \
    --peak build/bench/peak "$@"
