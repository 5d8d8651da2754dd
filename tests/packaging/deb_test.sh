#!/usr/bin/env bash
# The Debian package of a native build: made with cpack in a scratch folder,
# checked by lintian, unpacked into a scratch root (never installed into this
# machine), its man page held against its program's --help, and its program
# run there on a copy of the sample site.
#   deb_test.sh BUILD_DIR SAMPLE_SITE
set -euo pipefail
build=$1 sample=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

failures=0
fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/pack" >/dev/null
debs=("$scratch"/pack/*.deb)
[ ${#debs[@]} -eq 1 ] || { echo "cpack made ${#debs[@]} packages" >&2; exit 1; }
deb=${debs[0]}
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

# Lintian's warnings are printed; an error fails the test.
lintian_status=0
lintian_output=$(lintian --fail-on error "$deb" 2>&1) || lintian_status=$?
grep -v 'running with root privileges' <<<"$lintian_output" || true
[ $lintian_status -eq 0 ] || fail "lintian reports an error"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
program=$root/usr/bin/kelvane-scan

field() { dpkg-deb -f "$deb" "$1"; }
[ "$("$program" --version)" = "kelvane-scan $(field Version)" ] ||
    fail "the package's version is not the program's: $(field Version)"
[ "$(field Section)" = admin ] || fail "section $(field Section)"
[[ $(field Depends) == *"libc6 (>="* ]] || fail "dependencies not computed: $(field Depends)"
[ -f "$root/usr/share/doc/kelvane-scan/copyright" ] || fail "no copyright file"

# The installed man page shows, and its OPTIONS name the options of --help, no
# more and no fewer. An option's own line of --help begins with two blanks and
# a dash; in the page, read as man shows it so that roff's escapes and line
# breaks hide none, an entry's option stands at the section's indent.
help_options=$("$program" --help | sed -n 's/^  \(-[^ ]*\).*/\1/p' | sort -u)
page_options=$(MANWIDTH=100 LC_ALL=C.UTF-8 man -l "$root/usr/share/man/man1/kelvane-scan.1.gz" |
    awk '/^[A-Z]/ { in_options = ($0 == "OPTIONS") } in_options && /^       -/ { print $1 }' |
    sort -u)
[ -n "$help_options" ] && [ "$help_options" = "$page_options" ] ||
    fail "--help and the man page name other options:" \
        "$(diff <(echo "$help_options") <(echo "$page_options") | grep '^[<>]' | paste -sd ' ')"

# The completion reads the options from the installed program's --help.
# Each row: the words typed, then the completions expected.
mkdir "$scratch/sub"
touch "$scratch/sfile"
completion_cases=(
    "--backup-d|--backup-dir"
    "--backup-dir $scratch/s|$scratch/sub"
    "--signature x|"
)
for case in "${completion_cases[@]}"; do
    words=${case%%|*} expected=${case#*|}
    got=$(
        # shellcheck disable=SC1091
        source "$root/usr/share/bash-completion/completions/kelvane-scan"
        read -ra typed <<<"$words"
        COMP_WORDS=("$program" "${typed[@]}")
        COMP_CWORD=${#typed[@]}
        _kelvane_scan
        echo "${COMPREPLY[*]}"
    )
    [ "$got" = "$expected" ] || fail "completing '$words' gave '$got', not '$expected'"
done

# The installed program cleans a copy of the sample site: every block is cut
# out or its file deleted (the file whose block has no end), and the clean
# files are left byte for byte.
cp -r "$sample" "$scratch/site"
status=0
log=$("$program" "$scratch/site") || status=$?
[ $status -eq 2 ] || fail "exit status $status, not 2 (a problem file)"
grep -qx 'Infected and successful treat files: 3' <<<"$log" || fail "not three files treated: $log"
infected=$(grep -rlF 'Rem I am sorry! happy time' "$scratch/site" || true)
[ -z "$infected" ] || fail "still infected: $infected"
[ ! -e "$scratch/site/news/today.htm" ] || fail "the file without the block's end is still there"
for clean in news/archive.htm style.css; do
    cmp -s "$sample/$clean" "$scratch/site/$clean" || fail "$clean changed"
done

[ $failures -eq 0 ]
