#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix, creating the prefix
# on first use.
#   wine-run.sh win32|win64 PREFIX PROGRAM [ARGS...]
#   wine-run.sh --can-run-win32     exit 0 when this machine runs 32-bit Wine
set -euo pipefail

if [ "${1:-}" = --can-run-win32 ]; then
    # Some kernels (and some sandboxes) cannot execute 32-bit x86 code at all.
    exec /usr/lib/wine/wine --version >/dev/null 2>&1
fi

arch=$1 prefix=$2
shift 2
case $arch in
    win32) loader=/usr/lib/wine/wine ;;
    win64) loader=/usr/lib/wine/wine64 ;;
    *) echo "wine-run.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: their install prompts would block an unattended run.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    # Parallel test runs may arrive here together; one of them creates it.
    (
        flock 9
        if [ ! -f "$prefix/system.reg" ]; then
            "$loader" wineboot --init >/dev/null 2>&1
            wineserver --wait
        fi
    ) 9>"$prefix.lock"
fi
# A server that Wine starts on its own leaves as soon as its last program
# ends; a program starting at that moment fails ("recvmsg: Connection reset
# by peer"). One that stays a while serves every test of a run. Neither it
# nor the services Wine starts with it may hold our output open, or whoever
# reads that output would wait for them to leave: they are started here,
# on /dev/null. Exit status 2 means a server is running already.
if wineserver -p30 </dev/null >/dev/null 2>&1; then
    "$loader" wineboot </dev/null >/dev/null 2>&1
elif [ $? != 2 ]; then
    echo "wine-run.sh: cannot start wineserver" >&2
    exit 2
fi
exec "$loader" "$@"
