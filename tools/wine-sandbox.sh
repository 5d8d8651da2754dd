#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix whose only drive is
# C:, mapped to a folder of the caller's choosing (the sandbox). There is no
# Z: drive, so a program that walks every drive sees the sandbox and nothing
# else of this machine.
#
#   wine-sandbox.sh [--template DIR] [--with FILE]... win32|win64 WORKDIR SANDBOX PROGRAM [ARGS...]
#
#   WORKDIR   the run's own folder: the prefix, HOME, TMPDIR and Wine's output
#             files; created if missing, reused (prefix included) if present;
#             not inside SANDBOX. Runs on one WORKDIR take turns.
#   SANDBOX   the folder that is C:\. Two links, "windows" and "users", are
#             added to it for the run and removed afterwards; Wine lists no
#             entry that leads to its own prefix, so they stay out of sight.
#   PROGRAM   copied into the prefix and run as C:\windows\<its name>, with
#             ARGS, in the folder C:\. Each --with FILE is copied beside it
#             (C:\windows\<name>).
#   --template DIR  where the prefix that wineboot makes (slowly) is kept
#             and shared, per architecture; default WORKDIR/template. Each run
#             copies its small parts and links the big system folders.
#
# Standard output and error are the program's; the exit status is its exit
# code. One wineserver serves the whole run and is shut down at its end, with
# every process the program left behind.
#
# The sandbox keeps a walk over the drives off this machine's files; it is no
# security boundary (Wine still opens any file by a \\?\unix\ path). Runs side
# by side need a WORKDIR and a SANDBOX each.
set -euo pipefail

usage() {
    echo "usage: wine-sandbox.sh [--template DIR] [--with FILE]... win32|win64 WORKDIR SANDBOX PROGRAM [ARGS...]" >&2
    exit 2
}

template=
extra_files=()
while [ $# -gt 0 ]; do
    case $1 in
        --template) [ $# -ge 2 ] || usage; template=$2; shift 2 ;;
        --with) [ $# -ge 2 ] || usage; extra_files+=("$2"); shift 2 ;;
        --) shift; break ;;
        -*) usage ;;
        *) break ;;
    esac
done
[ $# -ge 4 ] || usage
arch=$1 workdir=$2 sandbox=$3 program=$4
shift 4
case $arch in
    win32) loader=/usr/lib/wine/wine ;;
    win64) loader=/usr/lib/wine/wine64 ;;
    *) echo "wine-sandbox.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
for file in "$program" "${extra_files[@]}"; do
    [ -f "$file" ] || { echo "wine-sandbox.sh: no such file: $file" >&2; exit 2; }
done
[ -d "$sandbox" ] || { echo "wine-sandbox.sh: no such folder: $sandbox" >&2; exit 2; }
workdir=$(realpath -m "$workdir") sandbox=$(realpath "$sandbox")
case $workdir/ in
    "$sandbox"/*) echo "wine-sandbox.sh: WORKDIR must not be inside SANDBOX" >&2; exit 2 ;;
esac
mkdir -p "$workdir"
template=$(realpath -m "${template:-$workdir/template}")/$arch
prefix=$workdir/prefix
wineserver=/usr/lib/wine/wineserver

# Nothing of the caller's home may leak in: Wine links the profile folders to
# $HOME, and its helpers read the XDG folders.
unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_RUNTIME_DIR WINESERVER
export HOME=$workdir/home TMPDIR=$workdir/tmp WINEARCH=$arch WINEDEBUG=${WINEDEBUG:--all}
mkdir -p "$HOME" "$TMPDIR"
# No Mono or Gecko install prompts; no menu entries, help or browser windows:
# a program asking for them gets a failure at once.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe,winhlp32.exe,winebrowser.exe=d"

# Wine's own stand-ins for the Windows system fonts (Marlett draws the caption
# buttons, MS Sans Serif the dialogs). Debian's Wine looks for them beside
# its data folder, not where fonts-wine puts them; every Wine looks in
# C:\windows\Fonts, so the template gets them there.
wine_fonts=/usr/share/wine/fonts

# What a prefix was made for; a prefix made for anything else is made anew.
prefix_kind() {
    echo "$arch $("$loader" --version), $(find "$wine_fonts" -type f 2>/dev/null | wc -l) fonts of Wine's"
}

link_wine_fonts() {
    [ ! -d "$wine_fonts" ] || ln -sf "$wine_fonts"/* "$1/"
}

# The template is made once, under a lock, and rebuilt when Wine changes.
make_template() {
    mkdir -p "$template/home" "$template/tmp"
    (
        flock 9
        if [ "$(cat "$template/ready" 2>/dev/null)" != "$(prefix_kind)" ]; then
            rm -rf "$template/prefix" "$template/ready"
            local env=(HOME="$template/home" TMPDIR="$template/tmp" WINEPREFIX="$template/prefix")
            env "${env[@]}" "$loader" wineboot --init >"$template/wineboot.log" 2>&1
            env "${env[@]}" "$wineserver" -w
            detach_profile_folders "$template/prefix/drive_c/users"
            link_wine_fonts "$template/prefix/drive_c/windows/Fonts"
            prefix_kind >"$template/ready"
        fi
    ) 9>"$template.lock"
}

# wineboot links Desktop, Documents and the like to $HOME; the copies in each
# run must be folders of their own.
detach_profile_folders() {
    local link
    find "$1" -mindepth 2 -maxdepth 2 -type l -print0 | while IFS= read -r -d '' link; do
        rm "$link" && mkdir "$link"
    done
}

# The prefix folder is C:\windows and C:\users at once: it holds the entries
# of both. The system folders are large and only read, so they are linked.
make_prefix() {
    local source=$template/prefix entry
    rm -rf "$prefix"
    mkdir -p "$prefix/dosdevices"
    cp -a "$source"/*.reg "$source/.update-timestamp" "$prefix/"
    for entry in "$source"/drive_c/windows/* "$source"/drive_c/users/*; do
        case ${entry##*/} in
            system32 | syswow64 | winsxs) ln -s "$entry" "$prefix/" ;;
            *) cp -a "$entry" "$prefix/" ;;
        esac
    done
    cp "$template/ready" "$prefix/.sandbox-ready"
}

prefix_is_current() {
    cmp -s "$template/ready" "$prefix/.sandbox-ready"
}

# C: is the only drive; the sandbox reaches the prefix through two links.
map_sandbox() {
    local name
    rm -f "$prefix"/dosdevices/*
    ln -s "$sandbox" "$prefix/dosdevices/c:"
    for name in windows users; do
        if [ -e "$sandbox/$name" ] && [ "$(realpath "$sandbox/$name")" != "$prefix" ]; then
            echo "wine-sandbox.sh: $sandbox/$name exists and would be hidden" >&2
            exit 2
        fi
        ln -sfn "$prefix" "$sandbox/$name"
    done
}

unmap_sandbox() {
    rm -f "$sandbox/windows" "$sandbox/users"
}

# Wine's output goes through files: its helper processes inherit the output
# handles and would hold a pipe open after the program has ended.
finish() {
    local status=$?
    WINEPREFIX=$prefix "$wineserver" -k >/dev/null 2>&1 || true
    WINEPREFIX=$prefix timeout 30 "$wineserver" -w >/dev/null 2>&1 || true
    unmap_sandbox
    cat "$workdir/stdout" 2>/dev/null || true
    cat "$workdir/stderr" >&2 2>/dev/null || true
    exit "$status"
}

exec 8>"$workdir/lock"
flock 8
make_template
prefix_is_current || make_prefix
for file in "$program" "${extra_files[@]}"; do
    cp "$file" "$prefix/"
done
map_sandbox
: >"$workdir/stdout"
: >"$workdir/stderr"
trap finish EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
export WINEPREFIX=$prefix
# A server that outlives its last client by a minute: one client ending
# never races the next one connecting, and a killed run cleans up by itself.
"$wineserver" -p60 </dev/null >/dev/null 2>&1 8>&- || [ $? = 2 ]
# The program starts in C:\, so relative paths among ARGS are in the sandbox.
cd "$sandbox"
set +e
"$loader" "C:\\windows\\${program##*/}" "$@" >"$workdir/stdout" 2>"$workdir/stderr" 8>&-
