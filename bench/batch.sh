#!/usr/bin/env bash
# Times the command line over batches of files: 48 files of 40,000 records
# (slices of the benchmark year) with -j 1 and with -j 2, and 100 small files
# (1,000 records each) in one run with -j 1 against 100 runs of the dialogue,
# each pair taking turns RUNS times; prints the medians and their ratios, and
# the peak memory of a batch of 12 and of 48 files with -j 1 and -j 2.
#
#   bench/batch.sh [RUNS]      (default 7; data under build/bench/batch)
set -euo pipefail

runs=${1:-7}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset bench >/dev/null
cmake --build --preset bench >/dev/null
tool=$root/build/bench/vantrel
year=$root/build/bench/data/year.all.tmp
dir=$root/build/bench/batch
mkdir -p "$root/build/bench/data" "$dir/big" "$dir/small" "$dir/out"
[ -s "$year" ] || "$root/build/bench/bench/gen_year" "$year" 1
if [ ! -s "$dir/big/s47.all.tmp" ]; then
  for k in $(seq 0 47); do
    sed -n "$((k % 13 * 40000 + 1)),$((k % 13 * 40000 + 40000))p" "$year" >"$dir/big/s$k.all.tmp"
  done
  for k in $(seq 0 99); do head -n 1000 "$dir/big/s$((k % 48)).all.tmp" >"$dir/small/t$k.all.tmp"; done
fi

now() { echo "${EPOCHREALTIME/[.,]/}"; }
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
# Microseconds of one command, started on an empty output folder and a synced disk.
timed() {
  rm -f "$dir"/out/*
  sync
  local t0 t1
  t0=$(now)
  "$@" >/dev/null
  t1=$(now)
  echo $((t1 - t0))
}
dialogue_runs() {
  cd "$dir/small"
  for f in t*.all.tmp; do printf '%s\n9\n' "${f%.tmp}" | "$tool"; done
  cd "$root"
}
# pair NAME-A NAME-B 'COMMAND A' 'COMMAND B': both medians, and how many
# times as long B took as A.
pair() {
  : >"$dir/a.times"
  : >"$dir/b.times"
  for ((i = 0; i < runs; i++)); do
    timed eval "$3" >>"$dir/a.times"
    timed eval "$4" >>"$dir/b.times"
  done
  local a b
  a=$(median <"$dir/a.times")
  b=$(median <"$dir/b.times")
  awk -v na="$1" -v nb="$2" -v a="$a" -v b="$b" \
    'BEGIN { printf "%-20s %8.4f s   %-20s %8.4f s   the second %.2f times as long\n", na, a / 1e6, nb, b / 1e6, b / a }'
}
big=$(printf "$dir/big/s%d.all.tmp " $(seq 0 47))
small=$(printf "$dir/small/t%d.all.tmp " $(seq 0 99))
pair '-j 2, 48 x 40,000' '-j 1, 48 x 40,000' "$tool -n 9 -j 2 -o $dir/out $big" "$tool -n 9 -j 1 -o $dir/out $big"
pair '-j 1, 100 x 1,000' '100 dialogue runs' "$tool -n 9 -j 1 -o $dir/out $small" dialogue_runs
rm -f "$dir"/small/*.jul "$dir"/small/*.gap
twelve=$(printf "$dir/big/s%d.all.tmp " $(seq 0 11))
for j in 1 2; do
  for files in "$twelve" "$big"; do
    kib=$(/usr/bin/time -f '%M' "$tool" -n 9 -j $j -o "$dir/out" $files 2>&1 >/dev/null | tail -n 1)
    echo "peak memory, -j $j, $(wc -w <<<"$files") files: $((kib / 1024)).$((kib % 1024 * 10 / 1024)) MiB"
  done
done
echo "medians of $runs runs of each, taking turns; $(nproc) cores"
