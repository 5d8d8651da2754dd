#!/usr/bin/env bash
# Cleans a copy of the sample site with kelvane-scan and shows what changed;
# the sample itself is never touched.
#   demo.sh KELVANE_SCAN
set -uo pipefail
scanner=$1
sample=$(cd "$(dirname "$0")/../examples/site" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$sample" "$work/site"
chmod a-w "$work/site/scripts/backup.vbs"  # git keeps no read-only bit

echo "Scanning a copy of examples/site:"
echo
"$scanner" "$work/site"
status=$?
echo
echo "kelvane-scan exited with $status (0 clean, 1 infected files treated, 2 problems)."
echo
echo "What changed against the original:"
diff -r "$sample" "$work/site" | sed 's/^/  /'
ls -l "$work/site/scripts/backup.vbs" | awk '{print "  " $1 " scripts/backup.vbs (still read-only)"}'
