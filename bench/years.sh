#!/usr/bin/env bash
# Times the benchmark year with its years in two digits against the same
# year with them in four (1990), listed by the gregorian calendar, and the
# two-digit year by the default classic calendar, taking turns RUNS times;
# prints the medians, their ratios and the instructions per record by
# callgrind where valgrind is installed.
#
#   bench/years.sh [RUNS]       (default 11; data under build/bench/data)
set -euo pipefail

runs=${1:-11}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
tool=$root/build/bench/vantrel
data=$root/build/bench/data
mkdir -p "$data"
[ -s "$data/year.all.tmp" ] || "$root/build/bench/bench/gen_year" "$data/year.all.tmp" 1
cd "$data"
[ -s year2.all.tmp ] || cp year.all.tmp year2.all.tmp
[ -s digits4.all.tmp ] || awk '{ $3 = 1900 + $3; print }' year.all.tmp >digits4.all.tmp

now() { echo "${EPOCHREALTIME/[.,]/}"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Microseconds of one listing of FILE by the tool with ARGS.
timed() {
  rm -f ./*.jul ./*.gap
  sync
  local t0 t1
  t0=$(now)
  "$tool" -n 9 "$@" >/dev/null
  t1=$(now)
  echo $((t1 - t0))
}
: >two.times
: >four.times
: >classic.times
# Each goes first in turn, so that what one run leaves behind (the page
# cache, the disk's write-back) falls on all alike.
for ((i = 0; i < runs; i++)); do
  for ((k = 0; k < 3; k++)); do
    case $(((i + k) % 3)) in
      0) timed -c gregorian year2.all.tmp >>two.times ;;
      1) timed -c gregorian digits4.all.tmp >>four.times ;;
      2) timed year2.all.tmp >>classic.times ;;
    esac
  done
done
two=$(median <two.times) four=$(median <four.times) classic=$(median <classic.times)
rm -f two.times four.times classic.times ./*.jul ./*.gap
instructions() {
  command -v valgrind >/dev/null || { echo -; return; }
  valgrind --tool=callgrind --callgrind-out-file=/dev/null "$tool" -n 9 "$@" 2>&1 >/dev/null |
    awk -v r="$(wc -l <year2.all.tmp)" '/Collected/ { printf "%.0f", $NF / r }'
}
awk -v a="$two" -v b="$four" -v c="$classic" 'BEGIN {
  printf "gregorian, two-digit years  %.4f s\ngregorian, four-digit years %.4f s  (%.3f times the two-digit; target at most 1.05)\nclassic, two-digit years    %.4f s  (the gregorian two-digit %.3f times it)\n", a / 1e6, b / 1e6, b / a, c / 1e6, a / c
}'
echo "instructions per record: $(instructions -c gregorian year2.all.tmp) (gregorian, two digits)," \
  "$(instructions -c gregorian digits4.all.tmp) (four digits), $(instructions year2.all.tmp) (classic)"
rm -f ./*.jul ./*.gap
echo "medians of $runs runs of each, taking turns; $(nproc) cores"
