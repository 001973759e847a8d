#!/usr/bin/env bash
# Times a nightly run over an archive: 264 station-years of 10-minute
# records (24 stations from 1989 to 1999, with 4, 8 or 9 values, outages of
# hours to weeks, a few files with a header, a bad record or nothing in
# them), made once from the benchmark year. Prints the medians of RUNS runs
# of each, taking turns:
#   the listing of the archive, without and with the summary (-s), and
#   their ratio;
#   the coverage table of its outputs (vantrel-coverage-report --tsv), and
#   the same table by the awk script it replaced, where git still has it
#   (a few runs only: it takes half a minute);
#   plot-archive from the summary, a row a station-year and a row a station.
#
#   bench/archive.sh [RUNS]     (default 7; data under build/bench/archive)
set -euo pipefail

runs=${1:-7}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
tool=$root/build/bench/vantrel
report=$root/build/bench/vantrel-coverage-report
year=$root/build/bench/data/year.all.tmp
dir=$root/build/bench/archive
mkdir -p "$root/build/bench/data" "$dir/in" "$dir/out"
[ -s "$year" ] || "$root/build/bench/bench/gen_year" "$year" 1

# The archive: every tenth minute record of the year, its year and its count
# of values set for each station-year, and up to three outages cut out.
if [ ! -s "$dir/in/st23/st2399.all.tmp" ]; then
  for n in 4 8 9; do
    awk -v n="$n" 'NR % 10 == 1 { line = $1; for (i = 2; i <= 5 + n; i++) line = line " " $i; print line }' \
      "$year" >"$dir/base$n"
  done
  for s in $(seq 0 23); do
    mkdir -p "$dir/in/st$s"
    n=$(((s % 3 == 0) ? 4 : (s % 3 == 1) ? 8 : 9))
    for y in $(seq 89 99); do
      awk -v y="$y" -v seed="$s$y" 'BEGIN { srand(seed); for (k = 0; k < 3; k++) { lo[k] = int(rand() * 52000); hi[k] = lo[k] + int(rand() * 3000) } }
        { for (k = 0; k < 3; k++) if (NR >= lo[k] && NR < hi[k]) next; $3 = y; print }' \
        "$dir/base$n" >"$dir/in/st$s/st$s$y.all.tmp"
    done
  done
  sed -i '1i month day year hour minute values' "$dir/in/st1/st190.all.tmp"
  sed -i '30000s/ [0-9.-]*$/ n\/a/' "$dir/in/st2/st295.all.tmp"
  : >"$dir/in/st3/st399.all.tmp"
fi
files=$(echo "$dir"/in/*/*.all.tmp)
echo "archive: $(wc -w <<<"$files") station-years, $(du -sm "$dir/in" | cut -f1) MB"

now() { echo "${EPOCHREALTIME/[.,]/}"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
timed() {
  sync
  local t0 t1
  t0=$(now)
  "$@" >/dev/null 2>&1 || true
  t1=$(now)
  echo $((t1 - t0))
}
# pair NAME-A NAME-B 'COMMAND A' 'COMMAND B' [RUNS]: both medians, and how
# many times as long B took as A.
pair() {
  : >"$dir/a.times"
  : >"$dir/b.times"
  for ((i = 0; i < ${5:-$runs}; i++)); do
    timed eval "$3" >>"$dir/a.times"
    timed eval "$4" >>"$dir/b.times"
  done
  local a b
  a=$(median <"$dir/a.times")
  b=$(median <"$dir/b.times")
  awk -v na="$1" -v nb="$2" -v a="$a" -v b="$b" \
    'BEGIN { printf "%-26s %8.3f s   %-26s %8.3f s   the second %.3f times as long\n", na, a / 1e6, nb, b / 1e6, b / a }'
}
pair 'listing' 'listing with the summary' "$tool -o $dir/out $files" \
  "$tool -o $dir/out -s $dir/summary.tsv $files"
old=$dir/old-coverage-report
git show efe9746:tools/coverage-report >"$old" 2>/dev/null && chmod +x "$old" || old=
if [ -n "$old" ]; then
  pair 'coverage table' 'the awk script it replaced' "$report --tsv $dir/out/*.jul" \
    "$old --tsv $dir/out/*.jul" 3
else
  pair 'coverage table' 'coverage table' "$report --tsv $dir/out/*.jul" "$report --tsv $dir/out/*.jul"
fi
pair 'plot-archive, station-years' 'plot-archive, stations' \
  "tools/plot-archive -o $dir/years.png $dir/summary.tsv" \
  "tools/plot-archive --stations -o $dir/stations.png $dir/summary.tsv"
pair 'plot-archive from stems' 'plot-archive from stems' \
  "tools/plot-archive -o $dir/stems.png $dir/out/*.jul" "tools/plot-archive -o $dir/stems.png $dir/out/*.jul" 3
echo "medians of $runs runs of each, taking turns; $(nproc) cores"
