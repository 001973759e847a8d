#!/bin/sh
# The manual page renders with no warning from groff (77 = skipped when groff
# is not installed).
set -eu
page=$1
command -v groff >/dev/null 2>&1 || { echo "groff not installed; skipped"; exit 77; }
warnings=$(LC_ALL=C.UTF-8 groff -man -t -Tutf8 -ww -z "$page" 2>&1)
if [ -n "$warnings" ]; then
    echo "$warnings"
    exit 1
fi
# Every section a reader looks for is there.
for s in NAME SYNOPSIS DESCRIPTION FILES "EXIT STATUS" DIAGNOSTICS EXAMPLES NOTES; do
    grep -q "^\.SH \"\{0,1\}$s\"\{0,1\}\$" "$page" || { echo "no section $s"; exit 1; }
done
