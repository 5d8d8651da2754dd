#!/usr/bin/env bash
# The man page and --help name the same options: each option of --help is an
# entry of the page's OPTIONS, and each entry there is an option of --help.
#   man_page_test.sh PROGRAM PAGE
set -euo pipefail
program=$1 page=$2

# An option's own line of --help begins with two blanks and a dash; the lines
# that go on describing it are indented further.
help_options=$("$program" --help | sed -n 's/^  \(-[^ ]*\).*/\1/p' | sort -u)
[ -n "$help_options" ] || { echo "no option found in $program --help" >&2; exit 1; }

# Read as man shows it, so that roff's escapes and line breaks do not hide an
# option. An entry's option stands at the section's indent, its description
# further in.
rendered=$(MANWIDTH=100 LC_ALL=C.UTF-8 man -l "$page" 2>&1)
page_options=$(awk '/^[A-Z]/ { in_options = ($0 == "OPTIONS") }
                    in_options && /^       -/ { print $1 }' <<<"$rendered" | sort -u)

only_in_help=$(comm -23 <(echo "$help_options") <(echo "$page_options"))
only_in_page=$(comm -13 <(echo "$help_options") <(echo "$page_options"))
[ -z "$only_in_help" ] ||
    echo "options of --help missing from the man page: $(paste -sd ' ' <<<"$only_in_help")" >&2
[ -z "$only_in_page" ] ||
    echo "options of the man page that --help does not have: $(paste -sd ' ' <<<"$only_in_page")" >&2
[ -z "$only_in_help$only_in_page" ]
echo "$(wc -l <<<"$help_options") options, all in the man page"
