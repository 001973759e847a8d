#!/usr/bin/env bash
# Times the tool on the benchmark year: builds the Release tool and the
# generator, writes the year (one record a minute) and the same year four
# times over, and a one-record file, runs the tool on each RUNS times and
# prints the medians as a table, with a plain `cat` of the same file for
# comparison, the 4x scaling, the peak memory, and the year's time through
# a yardstick listing written with scanf and printf (bench/traditional.cc).
#
#   bench/run.sh [RUNS]        (default 7; data under build/bench/data)
set -euo pipefail

runs=${1:-7}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
tool=$root/build/bench/vantrel
gen=$root/build/bench/bench/gen_year
data=$root/build/bench/data
mkdir -p "$data"
[ -s "$data/year.all.tmp" ] || "$gen" "$data/year.all.tmp" 1
[ -s "$data/year4.all.tmp" ] || "$gen" "$data/year4.all.tmp" 4
head -n 1 "$data/year.all.tmp" >"$data/one.all.tmp"

# Seconds, from bash's microsecond clock.
now() { echo "${EPOCHREALTIME/[.,]/}"; }

# The median and the least of the numbers on standard input.
median() {
  sort -n | awk '{ v[NR] = $1 } END { print ((NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[1] }'
}

# median_of NAME: median and least wall time in microseconds of RUNS runs of
# the tool on NAME.all.tmp.
median_of() {
  local name=$1 i t0 t1
  for ((i = 0; i < runs; i++)); do
    # The last run's listing is removed and the disk left to catch up
    # first: truncating a big listing that is still being written back costs
    # the next run more than its own work, and each run is timed alone.
    rm -f "$name.jul" "$name.gap"
    sync
    t0=$(now)
    printf '%s.all\n9\n' "$name" | "$tool" >/dev/null
    t1=$(now)
    echo $((t1 - t0))
  done | median
}

cat_median() {
  local file=$1 i t0 t1
  for ((i = 0; i < runs; i++)); do
    t0=$(now)
    cat "$file" >/dev/null
    t1=$(now)
    echo $((t1 - t0))
  done | median
}

# Peak resident memory in KiB of one run.
peak_kib() {
  printf '%s.all\n9\n' "$1" | /usr/bin/time -f '%M' "$tool" 2>&1 >/dev/null | tail -n 1
}

cd "$data"
printf '%-7s %9s %10s %9s %9s %9s %11s %9s %8s %9s\n' \
  file MB records 'tool s' 'least s' 'cat s' records/s MB/s 'x cat' 'peak MiB'
declare -A wall least
for name in one year year4; do
  file=$name.all.tmp
  bytes=$(stat -c %s "$file")
  records=$(wc -l <"$file")
  read -r us least_us < <(median_of "$name")
  read -r cat_us _ < <(cat_median "$file")
  wall[$name]=$us
  least[$name]=$least_us
  kib=$(peak_kib "$name")
  awk -v n="$name" -v b="$bytes" -v r="$records" -v us="$us" -v lus="$least_us" -v cus="$cat_us" -v k="$kib" 'BEGIN {
    s = us / 1e6; cs = cus / 1e6
    printf "%-7s %9.1f %10d %9.4f %9.4f %9.4f %11.0f %9.0f %8.1f %9.1f\n",
           n, b / 1e6, r, s, lus / 1e6, cs, r / s, b / 1e6 / s, (cs > 0 ? s / cs : 0), k / 1024
  }'
done
awk -v a="${wall[year]}" -v b="${wall[year4]}" -v la="${least[year]}" -v lb="${least[year4]}" 'BEGIN {
  printf "4x the records took %.2f times as long by the medians, %.2f by the least (target: at most 4.6)\n", b / a, lb / la
}'
# The yardstick, the listing through scanf and printf, on the year.
trad=$root/build/bench/bench/traditional
trad_us=$(for ((i = 0; i < 3; i++)); do
  rm -f year.trad
  sync
  t0=$(now)
  "$trad" year.all.tmp year.trad 9
  t1=$(now)
  echo $((t1 - t0))
done | median | cut -d' ' -f1)
rm -f year.trad
awk -v t="$trad_us" -v a="${wall[year]}" 'BEGIN {
  printf "the year through scanf and printf (bench/traditional.cc): %.3f s, %.1f times the tool'"'"'s\n", t / 1e6, t / a
}'
echo "medians (and the least) of $runs runs, rates from the medians; peak memory from /usr/bin/time; $(nproc) cores"
