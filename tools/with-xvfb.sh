#!/usr/bin/env bash
# Runs a command on an X display of its own: a new Xvfb, on a display number
# that the server picks itself, so that runs side by side never collide. The
# server is stopped when the command ends; the exit status is the command's.
#   with-xvfb.sh COMMAND [ARGS...]
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: with-xvfb.sh COMMAND [ARGS...]" >&2; exit 2; }

state=$(mktemp -d "${TMPDIR:-/tmp}/xvfb.XXXXXX")
xvfb=
stop_server() {
    local status=$?
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$state"
    exit "$status"
}
trap stop_server EXIT
trap 'exit 143' TERM
trap 'exit 130' INT

# -displayfd: the server writes its display number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp \
    3>"$state/display" </dev/null >"$state/log" 2>&1 &
xvfb=$!
for _ in $(seq 300); do
    [ -s "$state/display" ] && break
    if ! kill -0 "$xvfb" 2>/dev/null; then
        cat "$state/log" >&2
        echo "with-xvfb.sh: Xvfb did not start" >&2
        exit 1
    fi
    sleep 0.1
done
[ -s "$state/display" ] || { echo "with-xvfb.sh: Xvfb gave no display" >&2; exit 1; }
DISPLAY=:$(tr -d '\n' <"$state/display")
export DISPLAY
set +e
"$@"
