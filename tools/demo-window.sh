#!/usr/bin/env bash
# Opens Kelvane.exe under Wine on this desktop, in a prefix whose only drive
# C: is a fresh copy of the sample site: press Start and watch it cleaned.
# When the window is closed, shows what changed; the sample is never touched.
#   demo-window.sh
set -euo pipefail
cd "$(dirname "$0")/.."
preset=$(tools/wine-run.sh --can-run-win32 && echo win32 || echo win64)
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" --target Kelvane >/dev/null
build=build/$preset

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/c"
cp -r examples/site "$work/c/site"
chmod a-w "$work/c/site/scripts/backup.vbs"  # git keeps no read-only bit

echo "Kelvane.exe ($preset) opens with C:\\ holding only a copy of examples/site."
echo "Press Start, then Exit when the report shows."
tools/wine-sandbox.sh --template "$build/sandbox/template" --with "$build/src/kelvane.html" \
    "$preset" "$work" "$work/c" "$build/src/Kelvane.exe"
echo
echo "What changed against the original:"
diff -r examples/site "$work/c/site" | sed 's/^/  /' || true
