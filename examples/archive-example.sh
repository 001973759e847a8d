#!/bin/sh
# Makes the README's example archive and its pictures: hourly records of one
# value for five made-up stations, each from its first year (1989 to 1991,
# some added in the middle of it) to 1996, with up to three outages a year
# of one day to six weeks, one year cut by a bad record and one empty;
# lists them with vantrel into a summary, and draws it with
# tools/plot-archive into doc/archive-coverage.png (a row a station-year)
# and doc/archive-stations.png (a row a station).
#
#   examples/archive-example.sh [VANTREL]     (default build/release/vantrel)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
tool=$(realpath "${1:-$root/build/release/vantrel}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
awk -v seed=7 'BEGIN {
    srand(seed)
    split("kilpi lokka mervo sodan utsjo", station, " ")
    split("31 28 31 30 31 30 31 31 30 31 30 31", ml, " ")
    for (s = 1; s <= 5; s++) {
        first = 89 + int(rand() * 3)
        for (y = first; y <= 96; y++) {
            name = sprintf("%s%d.all.tmp", station[s], y)
            printf "" > name
            if (s == 4 && y == 94) { close(name); continue }  # a logger that wrote nothing
            start = y == first && rand() < 0.5 ? int(rand() * 200) : 0
            outages = int(rand() * 4)
            for (k = 1; k <= outages; k++) { lo[k] = int(rand() * 365); hi[k] = lo[k] + 1 + int(rand() * 40) }
            doy = 0
            for (m = 1; m <= 12; m++)
                for (d = 1; d <= ml[m] + (m == 2 && (y == 92 || y == 96)); d++) {
                    skip = ++doy <= start
                    for (k = 1; k <= outages; k++) if (doy >= lo[k] && doy < hi[k]) skip = 1
                    for (h = 0; h < 24 && !skip; h++)
                        if (s == 2 && y == 93 && doy == 150) printf "%d %d %d %d 0 n/a\n", m, d, y, h > name
                        else printf "%d %d %d %d 0 %.2f\n", m, d, y, h, 10 + 10 * sin(doy / 58) > name
                }
            close(name)
        }
    }
}'
mkdir out
"$tool" -o out -s summary.tsv ./*.all.tmp 2>/dev/null || true
"$root/tools/plot-archive" -o "$root/doc/archive-coverage.png" summary.tsv
"$root/tools/plot-archive" --stations -o "$root/doc/archive-stations.png" summary.tsv
