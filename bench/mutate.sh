#!/usr/bin/env bash
# Mutation testing: applies each small fault of bench/mutations.txt to a copy
# of the tree, one at a time, and checks that the tests or the fuzz targets
# notice it.
#
#   bench/mutate.sh [--tree DIR] [--fuzz-seconds N] [--only M01,M07] [mutations-file]
#
# The tree under test (default: the repository this script is in) is copied
# once into build/mutants/src of this repository; its own tests, fuzz targets
# and seed corpora are the ones run. Two build folders live beside the copy
# and are kept between mutants and between runs, so that each mutant rebuilds
# only what it touches: an optimised build with the tests (as the dev preset)
# and a clang libFuzzer build (as the fuzz preset), and in a tree whose
# portable build is other code than its default one (an earlier tree, with
# AVX-512 paths), the same two with the portable code only (the portable
# and fuzz-portable presets). For each
# mutation: apply it, build, run ctest (stopping at the first failure) on
# each build and, only when every test passes, each fuzz target fuzz_X on
# each fuzz build for N seconds (default 15) from a copy of fuzz/corpus/X;
# then put the file back, also when interrupted.
#
# Verdicts: killed-by-test (the first failing test), killed-by-fuzz (the
# target), SURVIVED, build (the mutant does not compile: fix the mutation),
# stale (its lines are not found exactly once: fix the mutation). The table
# is printed as it goes and written to build/mutants/results.txt; per-mutant
# logs are kept in build/mutants/logs, fuzz findings in build/mutants/artifacts.
set -u

here=$(cd "$(dirname "$0")/.." && pwd)
tree=$here
fuzz_seconds=15
only=""
list=$here/bench/mutations.txt

usage() {
  echo "usage: bench/mutate.sh [--tree DIR] [--fuzz-seconds N] [--only M01,M07] [mutations-file]" >&2
  exit 2
}
while [ $# -gt 0 ]; do
  case $1 in
    --tree) [ $# -ge 2 ] || usage; tree=$2; shift 2 ;;
    --fuzz-seconds) [ $# -ge 2 ] || usage; fuzz_seconds=$2; shift 2 ;;
    --only) [ $# -ge 2 ] || usage; only=$2; shift 2 ;;
    -h|--help) usage ;;
    -*) usage ;;
    *) list=$1; shift ;;
  esac
done
case $fuzz_seconds in '' | *[!0-9]*) echo "mutate: --fuzz-seconds takes a whole number" >&2; exit 2 ;; esac
[ -f "$tree/CMakePresets.json" ] || { echo "mutate: $tree is not a vantrel tree" >&2; exit 2; }
[ -f "$list" ] || { echo "mutate: no mutations file $list" >&2; exit 2; }
tree=$(cd "$tree" && pwd)
list=$(cd "$(dirname "$list")" && pwd)/$(basename "$list")

work=$here/build/mutants
src=$work/src
dev=$work/dev
fuzzb=$work/fuzz
portable=$work/portable
fuzzp=$work/fuzz-portable
logs=$work/logs
results=$work/results.txt
mkdir -p "$work" "$logs" "$work/artifacts"

# One run at a time: the copy and the builds are shared.
exec 9>"$work/lock"
flock -n 9 || { echo "mutate: another run is using $work" >&2; exit 2; }

# The exact text work, in Python: parsing the list, applying one mutation,
# and keeping the copy in step with the tree.
helper() {
  python3 - "$@" <<'PY'
import os, re, shutil, sys

def parse(path):
    muts, cur = [], None
    for no, line in enumerate(open(path, encoding="utf-8").read().split("\n"), 1):
        if line.startswith("## "):
            m = re.match(r"## (\S+) (\S+?): (.+)$", line)
            if not m:
                sys.exit(f"{path}:{no}: a header is '## ID path: what the fault does'")
            cur = {"id": m[1], "path": m[2], "what": m[3], "old": [], "new": [], "line": no}
            muts.append(cur)
        elif cur is not None and line[:1] == "-":
            if cur["new"]:
                sys.exit(f"{path}:{no}: the '-' lines of {cur['id']} must come before its '+' lines")
            cur["old"].append(line[1:])
        elif cur is not None and line[:1] == "+":
            cur["new"].append(line[1:])
        elif line.strip() == "" or line.startswith("#"):
            cur = None
        else:
            sys.exit(f"{path}:{no}: a line of a mutation starts with '-' or '+'")
    ids = set()
    for m in muts:
        if not m["old"]:
            sys.exit(f"{path}:{m['line']}: {m['id']} has no '-' lines")
        if m["id"] in ids:
            sys.exit(f"{path}:{m['line']}: {m['id']} is given twice")
        ids.add(m["id"])
    return muts

def occurrences(lines, old):
    k = len(old)
    return [i for i in range(len(lines) - k + 1) if lines[i:i + k] == old]

cmd = sys.argv[1]
if cmd == "list":
    for m in parse(sys.argv[2]):
        print(f"{m['id']}\t{m['path']}\t{m['what']}")
elif cmd == "apply":
    _, _, path, ident, root = sys.argv
    m = next(m for m in parse(path) if m["id"] == ident)
    target = os.path.join(root, m["path"])
    if not os.path.isfile(target):
        print("no such file")
        sys.exit(3)
    lines = open(target, encoding="utf-8").read().split("\n")
    at = occurrences(lines, m["old"])
    if len(at) != 1:
        print(f"found {len(at)} times")
        sys.exit(3)
    i = at[0]
    lines[i:i + len(m["old"])] = m["new"]
    with open(target, "w", encoding="utf-8") as f:
        f.write("\n".join(lines))
elif cmd == "sync":
    # Files whose bytes differ are copied (with a new time, so that make
    # rebuilds them); the others are left alone, so that nothing rebuilds
    # for nothing. The tree's own build folder and git data stay out.
    _, _, tree, root = sys.argv
    def walk(top):
        out = set()
        for d, dirs, files in os.walk(top):
            rel = os.path.relpath(d, top)
            if rel == ".":
                dirs[:] = [x for x in dirs if x not in ("build", ".git")]
                files = [x for x in files if x != ".git"]
            for x in files + [x for x in dirs if os.path.islink(os.path.join(d, x))]:
                out.add(os.path.normpath(os.path.join(rel, x)))
        return out
    want, have = walk(tree), walk(root) if os.path.isdir(root) else set()
    for rel in sorted(have - want):
        os.remove(os.path.join(root, rel))
    for rel in sorted(want):
        a, b = os.path.join(tree, rel), os.path.join(root, rel)
        if os.path.islink(a):
            if not (os.path.islink(b) and os.readlink(a) == os.readlink(b)):
                if os.path.lexists(b):
                    os.remove(b)
                os.makedirs(os.path.dirname(b), exist_ok=True)
                os.symlink(os.readlink(a), b)
            continue
        if os.path.isfile(b) and not os.path.islink(b):
            with open(a, "rb") as fa, open(b, "rb") as fb:
                if fa.read() == fb.read():
                    continue
        if os.path.lexists(b):
            os.remove(b)
        os.makedirs(os.path.dirname(b), exist_ok=True)
        shutil.copyfile(a, b)
        shutil.copymode(a, b)
PY
}

# Long steps run in their own process group, in the background, so that an
# interrupt reaches the trap at once and the trap can stop the whole step.
child=""
active=""
step() {  # step LOG COMMAND...
  local log=$1
  shift
  setsid nice -n 10 "$@" </dev/null >"$log" 2>&1 &
  child=$!
  wait "$child"
  local rc=$?
  child=""
  return $rc
}
restore() {
  if [ -n "$active" ]; then
    cp "$work/original" "$src/$active"
    active=""
  fi
}
interrupted() {
  if [ -n "$child" ]; then
    kill -TERM -- "-$child" 2>/dev/null
    wait "$child" 2>/dev/null
  fi
  restore
  echo "mutate: interrupted; the copy is restored" >&2
  exit 130
}
trap interrupted INT TERM HUP
trap restore EXIT

mutations=$(helper list "$list") || exit 2
[ -n "$mutations" ] || { echo "mutate: no mutations in $list" >&2; exit 2; }
if [ -n "$only" ]; then
  for id in ${only//,/ }; do
    printf '%s\n' "$mutations" | cut -f1 | grep -qx "$id" || { echo "mutate: no mutation $id" >&2; exit 2; }
  done
fi

start=$(date +%s)
echo "mutate: tree $tree -> $src"
helper sync "$tree" "$src" || exit 2

have_fuzz=1
command -v clang++ >/dev/null 2>&1 || { have_fuzz=0; echo "mutate: no clang++: fuzz targets skipped"; }

configure() {  # configure PRESET DIR
  [ -f "$2/CMakeCache.txt" ] && return 0
  step "$logs/configure-$1.log" cmake -S "$src" --preset "$1" -B "$2" ||
    { echo "mutate: configuring the $1 build failed, see $logs/configure-$1.log" >&2; exit 2; }
}
# The builds, each a preset and a folder: the tests', and the fuzz targets'.
test_builds="dev:$dev"
fuzz_builds="fuzz:$fuzzb"
# A tree whose portable build is other code (it has a fuzz-portable preset
# then) is tested on it too.
if grep -q '"name": "fuzz-portable"' "$src/CMakePresets.json"; then
  test_builds="$test_builds portable:$portable"
  fuzz_builds="$fuzz_builds fuzz-portable:$fuzzp"
fi
for b in $test_builds; do configure "${b%%:*}" "${b#*:}"; done
if [ $have_fuzz = 1 ]; then
  for b in $fuzz_builds; do configure "${b%%:*}" "${b#*:}"; done
fi
build_all() {  # build_all LOG BUILDS
  local b
  for b in $2; do step "$1" cmake --build "${b#*:}" -j2 || return 1; done
}

# The fuzz targets as built, and the seed corpus of each.
fuzz_targets() {
  local f
  for f in "$fuzzb"/fuzz/fuzz_*; do
    [ -f "$f" ] && [ -x "$f" ] && basename "$f"
  done
}
run_fuzz() {  # run_fuzz TAG: 0 when no target finds anything, else 1 and $found set
  local b t name corpus
  found=""
  for b in $fuzz_builds; do
    for t in $(fuzz_targets); do
      name=${t#fuzz_}
      corpus=$work/corpus-$name
      rm -rf "$corpus"
      mkdir -p "$corpus"
      [ -d "$src/fuzz/corpus/$name" ] && cp -R "$src/fuzz/corpus/$name/." "$corpus/"
      if ! step "$logs/$1.${b%%:*}.$t.log" "${b#*:}/fuzz/$t" -max_total_time="$fuzz_seconds" \
          -rss_limit_mb=2048 -timeout=60 -artifact_prefix="$work/artifacts/$1-${b%%:*}-$t-" "$corpus"; then
        found="${b%%:*}/$t"
        return 1
      fi
    done
  done
  return 0
}
# The first test ctest reports as failed, from its log, and how it failed
# when it did not simply fail its checks.
first_failure() {
  sed -n 's/.*Test *#[0-9]*: \([^ ]*\) \.*\*\*\*\([A-Za-z]*\).*/\1 \2/p' "$1" | head -n 1 |
    sed -e 's/ Failed$//' -e 's/ Exception$/ (crashed)/' -e 's/ Timeout$/ (timed out)/'
}
# No test takes more than a few seconds; a mutant that makes one loop for
# ever is stopped at two minutes (and killed by that).
run_tests() {  # run_tests LOG: every test build's suite, to the first failure
  local b
  for b in $test_builds; do
    step "$1" ctest --test-dir "${b#*:}" --stop-on-failure -j2 --timeout 120 --output-on-failure ||
      return 1
  done
}

# The unmutated tree must build and pass everything, or no verdict means anything.
echo "mutate: building and checking the unmutated tree"
build_all "$logs/clean.build.log" "$test_builds" ||
  { echo "mutate: the unmutated tree does not build, see $logs/clean.build.log" >&2; exit 1; }
run_tests "$logs/clean.test.log" ||
  { echo "mutate: the unmutated tree fails its tests: $(first_failure "$logs/clean.test.log")" >&2; exit 1; }
if [ $have_fuzz = 1 ]; then
  build_all "$logs/clean.fuzzbuild.log" "$fuzz_builds" ||
    { echo "mutate: the fuzz targets do not build, see $logs/clean.fuzzbuild.log" >&2; exit 1; }
  run_fuzz clean ||
    { echo "mutate: $found finds a fault in the unmutated tree, see $logs/clean.$found.log" >&2; exit 1; }
fi
echo "mutate: unmutated tree clean ($(($(date +%s) - start)) s); fuzz targets: $([ $have_fuzz = 1 ] && fuzz_targets | tr '\n' ' ')"

table=$work/results.partial
{
  echo "# bench/mutate.sh --tree $tree, fuzz ${fuzz_seconds}s a target, $(date -u '+%Y-%m-%d %H:%M UTC')"
  printf '%-5s %-15s %-52s %6s  %s\n' id verdict "by" seconds mutation
} >"$table"
report() {  # report ID VERDICT DETAIL SECONDS PATH WHAT
  local line
  line=$(printf '%-5s %-15s %-52s %6s  %s: %s' "$1" "$2" "$3" "$4" "$5" "$6")
  echo "$line"
  echo "$line" >>"$table"
}

while IFS=$'\t' read -r id path what; do
  if [ -n "$only" ]; then
    case ",$only," in *",$id,"*) ;; *) continue ;; esac
  fi
  t0=$(date +%s)
  if [ ! -f "$src/$path" ]; then
    report "$id" stale "no such file" 0 "$path" "$what"
    continue
  fi
  cp "$src/$path" "$work/original"
  active=$path
  if ! why=$(helper apply "$list" "$id" "$src" </dev/null); then
    restore
    report "$id" stale "${why:-the text is not found}" 0 "$path" "$what"
    continue
  fi
  verdict="" detail=""
  if ! build_all "$logs/$id.build.log" "$test_builds"; then
    verdict=build detail="g++ (see logs/$id.build.log)"
  elif ! run_tests "$logs/$id.test.log"; then
    verdict=killed-by-test detail=$(first_failure "$logs/$id.test.log")
    [ -n "$detail" ] || detail="(see logs/$id.test.log)"
  elif [ $have_fuzz = 0 ]; then
    verdict=SURVIVED detail="(tests only: no clang)"
  elif ! build_all "$logs/$id.fuzzbuild.log" "$fuzz_builds"; then
    verdict=build detail="clang (see logs/$id.fuzzbuild.log)"
  elif ! run_fuzz "$id"; then
    verdict=killed-by-fuzz detail=$found
  else
    verdict=SURVIVED detail=""
  fi
  restore
  report "$id" "$verdict" "$detail" $(($(date +%s) - t0)) "$path" "$what"
done <<<"$mutations"

total=$(($(date +%s) - start))
summary=$(
  echo
  for v in killed-by-test killed-by-fuzz SURVIVED build stale; do
    printf '%-15s %3d\n' "$v" "$(awk -v v="$v" '$2 == v' "$table" | wc -l)"
  done
  survivors=$(awk '$2 == "SURVIVED" { printf "%s ", $1 }' "$table")
  echo "survivors: ${survivors:-none}"
  echo "total time: $((total / 3600)) h $((total / 60 % 60)) min ($total s)"
)
echo "$summary" >>"$table"
mv "$table" "$results"
tail -n 8 "$results"
echo "mutate: table in $results"
