#!/bin/sh
# What cmake --install puts in place: the tool, its manual page and its
# scripts under their installed names, which find each other (and the
# listing's layout) there.
set -eu
build=$1 examples=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
[ -f "$prefix/share/man/man1/vantrel.1" ]
[ -x "$prefix/bin/vantrel" ]
"$prefix/bin/vantrel-coverage-report" --tsv "$examples/station90" | grep -q '^station90	1990	'
"$prefix/bin/vantrel-plot-coverage" --help >/dev/null
command -v gnuplot >/dev/null 2>&1 || exit 0
"$prefix/bin/vantrel-plot-archive" -o "$prefix/a.png" "$examples/station90" 2>&1 | { ! grep .; }
[ -s "$prefix/a.png" ]
cp "$examples/station90.jul" "$examples/station90.gap" "$prefix/"
"$prefix/bin/vantrel-plot-coverage" "$prefix/station90" 2>&1 | { ! grep .; }
[ -s "$prefix/station90.png" ]
