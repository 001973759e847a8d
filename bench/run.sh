#!/usr/bin/env bash
# Times the tool on the benchmark year, the default build (SSE2 line scan,
# linked statically) and the portable build (the 64-bit word path, no
# processor-specific instruction in its binary) side by side: builds both
# Release tools and the generator, writes the year (one record a minute),
# the same year four times over and a one-record file, runs each build on
# each file RUNS times, the two builds taking turns so that the machine's
# drift falls on both alike, and prints the medians as a table with the
# portable build's time over the default's, the I/O floor (bench/floor.cc:
# the file read and the outputs' bytes written, nothing else) and the
# default build's time over it, a plain `cat` of the same file, the
# instructions per record by callgrind where valgrind is installed, the 4x
# scaling, the peak memory, the year's time through a yardstick listing
# written with scanf and printf (bench/traditional.cc), and the year cut in
# two halves listed at once by two processes, over the floor.
#
#   bench/run.sh [RUNS]        (default 7; data under build/bench/data)
set -euo pipefail

runs=${1:-7}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
for p in bench bench-portable; do
  cmake --preset $p >/dev/null
  cmake --build --preset $p >/dev/null
done
default=$root/build/bench/vantrel
portable=$root/build/bench-portable/vantrel
gen=$root/build/bench/bench/gen_year
floor=$root/build/bench/bench/floor
data=$root/build/bench/data
mkdir -p "$data"
[ -s "$data/year.all.tmp" ] || "$gen" "$data/year.all.tmp" 1
[ -s "$data/year4.all.tmp" ] || "$gen" "$data/year4.all.tmp" 4
head -n 1 "$data/year.all.tmp" >"$data/one.all.tmp"

# Microseconds, from bash's microsecond clock.
now() { echo "${EPOCHREALTIME/[.,]/}"; }

# The median and the least of the numbers on standard input.
median() {
  sort -n | awk '{ v[NR] = $1 } END { print ((NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2), v[1] }'
}

# time_run TOOL NAME: wall time in microseconds of one run of TOOL on
# NAME.all.tmp. The last run's listing is removed and the disk left to
# catch up first: truncating a big listing that is still being written back
# costs the next run more than its own work, and each run is timed alone.
time_run() {
  local t0 t1
  rm -f "$2.jul" "$2.gap"
  sync
  t0=$(now)
  printf '%s.all\n9\n' "$2" | "$1" >/dev/null
  t1=$(now)
  echo $((t1 - t0))
}

# time_floor NAME: wall time in microseconds of the floor program reading
# NAME.all.tmp and writing as many bytes as the tool's listing and trace.
time_floor() {
  local t0 t1
  rm -f "$1.jul" "$1.gap"
  sync
  t0=$(now)
  "$floor" "$1.all.tmp" "$1.jul" "${jul_bytes[$1]}" "$1.gap" "${gap_bytes[$1]}"
  t1=$(now)
  echo $((t1 - t0))
}

# Instructions per record of one run of TOOL on NAME, by callgrind, or "-"
# without valgrind.
instructions() {
  command -v valgrind >/dev/null || { echo -; return; }
  printf '%s.all\n9\n' "$2" |
    valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" 2>&1 >/dev/null |
    awk -v r="$3" '/Collected/ { printf "%.0f", $NF / r }'
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

# Peak resident memory in KiB of one run of TOOL on NAME.
peak_kib() {
  printf '%s.all\n9\n' "$2" | /usr/bin/time -f '%M' "$1" 2>&1 >/dev/null | tail -n 1
}

cd "$data"
printf '%-6s %6s %8s %10s %10s %6s %15s %8s %6s %7s %10s %9s\n' \
  file MB records 'default s' 'portable s' ratio 'least s' 'floor s' xfloor 'cat s' records/s 'peak MiB'
declare -A wall_d wall_p jul_bytes gap_bytes
for name in one year year4; do
  file=$name.all.tmp
  bytes=$(stat -c %s "$file")
  records=$(wc -l <"$file")
  printf '%s.all\n9\n' "$name" | "$default" >/dev/null
  jul_bytes[$name]=$(stat -c %s "$name.jul")
  gap_bytes[$name]=$(stat -c %s "$name.gap")
  : >d.times
  : >p.times
  : >f.times
  for ((i = 0; i < runs; i++)); do
    time_floor "$name" >>f.times
    # Each build goes first every other time, so that what one run leaves
    # behind (the page cache, the disk's write-back) falls on both alike.
    if ((i % 2 == 0)); then
      time_run "$default" "$name" >>d.times
      time_run "$portable" "$name" >>p.times
    else
      time_run "$portable" "$name" >>p.times
      time_run "$default" "$name" >>d.times
    fi
  done
  read -r d_us d_least < <(median <d.times)
  read -r p_us p_least < <(median <p.times)
  read -r f_us _ < <(median <f.times)
  rm -f d.times p.times f.times
  read -r cat_us _ < <(cat_median "$file")
  wall_d[$name]=$d_us
  wall_p[$name]=$p_us
  d_kib=$(peak_kib "$default" "$name")
  p_kib=$(peak_kib "$portable" "$name")
  awk -v n="$name" -v b="$bytes" -v r="$records" -v d="$d_us" -v p="$p_us" \
    -v dl="$d_least" -v pl="$p_least" -v c="$cat_us" -v dk="$d_kib" -v pk="$p_kib" -v f="$f_us" 'BEGIN {
    printf "%-6s %6.1f %8d %10.4f %10.4f %6.2f %8.4f/%.4f %8.4f %6.2f %7.4f %10.0f %5.1f/%.1f\n",
           n, b / 1e6, r, d / 1e6, p / 1e6, p / d, dl / 1e6, pl / 1e6, f / 1e6, d / f, c / 1e6,
           r / (d / 1e6), dk / 1024, pk / 1024
  }'
done
awk -v a="${wall_d[year]}" -v b="${wall_d[year4]}" -v pa="${wall_p[year]}" -v pb="${wall_p[year4]}" 'BEGIN {
  printf "4x the records took %.2f times as long (default) and %.2f (portable) by the medians (target: at most 4.6)\n", b / a, pb / pa
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
awk -v t="$trad_us" -v a="${wall_d[year]}" -v p="${wall_p[year]}" 'BEGIN {
  printf "the year through scanf and printf (bench/traditional.cc): %.3f s, %.1f times the default build'"'"'s time, %.1f times the portable build'"'"'s\n", t / 1e6, t / a, t / p
}'
# The most a second core could give one file: the year cut into two halves
# at a line, each half listed by a process of its own, both at once, taken
# in turn with the floor. Nothing is shared between the two: a tool that
# split one file over two threads would do all this and more.
records=$(wc -l <year.all.tmp)
head -n $((records / 2)) year.all.tmp >half1.all.tmp
tail -n +$((records / 2 + 1)) year.all.tmp >half2.all.tmp
: >h.times
: >f.times
for ((i = 0; i < runs; i++)); do
  time_floor year >>f.times
  rm -f half1.jul half1.gap half2.jul half2.gap
  sync
  t0=$(now)
  printf 'half1.all\n9\n' | "$default" >/dev/null &
  printf 'half2.all\n9\n' | "$default" >/dev/null
  wait
  t1=$(now)
  echo $((t1 - t0)) >>h.times
done
read -r h_us _ < <(median <h.times)
read -r f_us _ < <(median <f.times)
rm -f h.times f.times half[12].*
awk -v h="$h_us" -v f="$f_us" 'BEGIN {
  printf "the year as two halves listed at once by two processes: %.4f s, %.2f times the floor (%.4f s) in the same turns\n", h / 1e6, h / f, f / 1e6
}'
echo "instructions per record on the year by callgrind: $(instructions "$default" year "$records") (default)," \
  "$(instructions "$portable" year "$records") (portable)"
echo "medians of $runs runs of each build, taking turns (least: default/portable); ratio: portable over default;"
echo "floor: bench/floor.cc, taking turns with both; xfloor: the default build's time over the floor's;"
echo "records/s from the default build's median; peak memory (default/portable) from /usr/bin/time; $(nproc) cores"
