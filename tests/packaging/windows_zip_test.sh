#!/usr/bin/env bash
# The zip of a Windows build: made with cpack in a scratch folder, unpacked,
# and its kelvane-scan.exe asked for its version under Wine.
#   windows_zip_test.sh BUILD_DIR win32|win64
set -euo pipefail
build=$(realpath "$1") arch=$2
tools=$(dirname "$(realpath "$0")")/../../tools
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack --config "$build/CPackConfig.cmake" -G ZIP -B "$scratch/pack" >/dev/null
zips=("$scratch"/pack/*.zip)
[ ${#zips[@]} -eq 1 ] || { echo "cpack made ${#zips[@]} zips" >&2; exit 1; }
echo "$(basename "${zips[0]}"): $(stat -c %s "${zips[0]}") bytes"
unzip -q "${zips[0]}" -d "$scratch/unpacked"
# One folder, named after the zip, holding what a Windows user runs and reads.
folder=$scratch/unpacked/$(basename "${zips[0]}" .zip)
for file in Kelvane.exe kelvane-scan.exe kelvane.html README.txt; do
    [ -f "$folder/$file" ] || { echo "$file is not in the zip" >&2; exit 1; }
done

# --version scans nothing, so the build's own prefix will do. Wine's console
# ends lines with CR LF.
version=$("$tools/wine-run.sh" "$arch" "$build/wineprefix" "$folder/kelvane-scan.exe" --version |
    tr -d '\r')
expected="kelvane-scan $(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")"
[ "$version" = "$expected" ] || { echo "--version says '$version', not '$expected'" >&2; exit 1; }
echo "$version"
