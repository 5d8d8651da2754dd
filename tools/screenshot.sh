#!/usr/bin/env bash
# Makes docs/kelvane-window.png: the window after a scan of a small site, as
# the GUI test that scans that site leaves it, in the sandbox on Xvfb.
#   tools/screenshot.sh [win32|win64]    (default: the Windows test preset)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-$(tools/wine-run.sh --can-run-win32 && echo win32 || echo win64)}
build=build/$preset
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target gui_test >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/c"
with=()
while IFS= read -r file; do
    [ -z "$file" ] || with+=(--with "$file")
done <"$build/tests/gui/gui_test_files.txt"

KELVANE_SCREENSHOT='C:\kelvane-window.bmp' tools/with-xvfb.sh tools/wine-sandbox.sh \
    --template "$build/sandbox/template" "${with[@]}" "$preset" "$work" "$work/c" \
    "$build/tests/gui/gui_test.exe" \
    --gtest_filter=SiteTest.LogsEveryMatchingFileInWalkOrderCleansTheInfectedAndScansAgainFromZero
mkdir -p docs
python3 tools/bmp_to_png.py "$work/c/kelvane-window.bmp" docs/kelvane-window.png
echo "docs/kelvane-window.png"
