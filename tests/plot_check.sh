#!/bin/sh
# tools/plot-coverage draws the sample's coverage into a PNG (77 = skipped
# when gnuplot is not installed).
set -eu
tool=$1 examples=$2
command -v gnuplot >/dev/null 2>&1 || { echo "gnuplot not installed; skipped"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$examples/station90.gap" "$examples/station90.jul" "$work/"
cd "$work"
"$tool" station90
# A PNG starts with its 8-byte signature.
[ "$(head -c 8 station90.png | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]
