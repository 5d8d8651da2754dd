#!/usr/bin/env bash
# make bench-window: Kelvane.exe against kelvane-scan.exe on one generated
# web tree (20 000 files unless WINDOW_BENCH_FILES says otherwise), each run
# under Wine in a sandbox whose only drive C: holds a fresh copy of the
# tree, the window on an X display of its own. By hand only.
#   bench/window.sh [ROUNDS]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
files=${WINDOW_BENCH_FILES:-20000}
arch=$(tools/wine-run.sh --can-run-win32 && echo win32 || echo win64)
build=build/$arch
cmake --preset "$arch" >/dev/null
cmake --build --preset "$arch" --target Kelvane kelvane-scan window_bench >/dev/null

tree=/var/tmp/kelvane-bench/window-tree-$files
if [ ! -d "$tree" ]; then
    python3 bench/gen_tree.py --files "$files" "$tree"
    rm -rf "$tree.pristine"
fi

work=$(mktemp -d /var/tmp/kelvane-window.XXXXXX)
trap 'rm -rf "$work"' EXIT
echo "$files files, $arch, $rounds rounds"
for round in $(seq "$rounds"); do
    for mode in window command; do
        rm -rf "$work/c"
        mkdir "$work/c"
        cp -a "$tree" "$work/c/tree"
        tools/with-xvfb.sh tools/wine-sandbox.sh --template "$build/sandbox/template" \
            --with "$build/src/Kelvane.exe" --with "$build/src/kelvane-scan.exe" \
            "$arch" "$work/run" "$work/c" "$build/bench/window_bench.exe" "$mode"
    done
done
