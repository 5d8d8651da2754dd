#!/usr/bin/env bash
# Runs a Windows test program in a sandbox of its own: a fresh folder as the
# only drive C:, the programs that it starts copied beside it into
# C:\windows, and with --xvfb an X display of its own. It is the CMake
# emulator of such a test.
#   sandbox-test-run.sh [--xvfb] win32|win64 ROOT FILELIST PROGRAM [ARGS...]
# ROOT keeps the Wine template that all runs share and one folder per run,
# removed afterwards unless KELVANE_KEEP_SANDBOX is set. FILELIST names the
# files to put beside PROGRAM, one a line.
set -euo pipefail
display=()
if [ "${1:-}" = --xvfb ]; then
    display=("$(dirname "$(realpath "$0")")/with-xvfb.sh")
    shift
fi
[ $# -ge 4 ] || { echo "usage: sandbox-test-run.sh [--xvfb] win32|win64 ROOT FILELIST PROGRAM [ARGS...]" >&2; exit 2; }
arch=$1 root=$2 list=$3 program=$4
shift 4
tools=$(dirname "$(realpath "$0")")

with=()
while IFS= read -r file; do
    [ -z "$file" ] || with+=(--with "$file")
done <"$list"

mkdir -p "$root"
run=$(mktemp -d "$root/run.XXXXXX")
mkdir "$run/c"
remove_run() {
    local status=$?
    [ -n "${KELVANE_KEEP_SANDBOX:-}" ] || rm -rf "$run"
    exit "$status"
}
trap remove_run EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

set +e
"${display[@]}" "$tools/wine-sandbox.sh" --template "$root/template" "${with[@]}" \
    "$arch" "$run" "$run/c" "$program" "$@"
