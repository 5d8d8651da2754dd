#!/usr/bin/env bash
# Makes docs/kelvane-window.png: the window after a scan of a copy of
# examples/site, in a sandbox whose only drive holds that copy, on Xvfb.
#   tools/screenshot.sh [win32|win64]    (default: the Windows test preset)
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-$(tools/wine-run.sh --can-run-win32 && echo win32 || echo win64)}
build=build/$preset
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Kelvane window_screenshot >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/c"
cp -r examples/site "$work/c/site"
tools/with-xvfb.sh tools/wine-sandbox.sh --template "$build/sandbox/template" \
    --with "$build/src/Kelvane.exe" "$preset" "$work" "$work/c" \
    "$build/tools/window_screenshot.exe" 'C:\kelvane-window.bmp'
mkdir -p docs
python3 tools/bmp_to_png.py "$work/c/kelvane-window.bmp" docs/kelvane-window.png
echo "docs/kelvane-window.png"
