#!/bin/sh
# Makes the README's example archive and its picture: hourly records of one
# value for five made-up stations, each from its first year (1989 to 1991,
# some added in the middle of it) to 1996, with up to three outages a year
# of one day to six weeks; lists them with vantrel and draws them with
# tools/plot-archive into doc/archive-coverage.png.
#
#   doc/archive-example.sh [VANTREL]     (default build/release/vantrel)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$root/build/release/vantrel}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
awk -v seed=7 -v stations=5 'BEGIN {
    srand(seed)
    split("31 28 31 30 31 30 31 31 30 31 30 31", ml, " ")
    for (s = 1; s <= stations; s++) {
        first = 89 + int(rand() * 3)
        for (y = first; y <= 96; y++) {
            name = sprintf("st%02d-%d.all.tmp", s, y)
            start = y == first && rand() < 0.5 ? int(rand() * 200) : 0
            outages = int(rand() * 4)
            for (k = 1; k <= outages; k++) { lo[k] = int(rand() * 365); hi[k] = lo[k] + 1 + int(rand() * 40) }
            doy = 0
            for (m = 1; m <= 12; m++)
                for (d = 1; d <= ml[m] + (m == 2 && (y == 92 || y == 96)); d++) {
                    skip = ++doy <= start
                    for (k = 1; k <= outages; k++) if (doy >= lo[k] && doy < hi[k]) skip = 1
                    for (h = 0; h < 24 && !skip; h++)
                        printf "%d %d %d %d 0 %.2f\n", m, d, y, h, 10 + 10 * sin(doy / 58) > name
                }
            close(name)
        }
    }
}'
mkdir out
"$tool" -n 1 -o out ./*.all.tmp
"$root/tools/plot-archive" -o "$root/doc/archive-coverage.png" out/*.jul
