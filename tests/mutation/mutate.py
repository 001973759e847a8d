#!/usr/bin/env python3
"""Mutation testing: puts each small fault of mutations.txt into a git
worktree of a commit, one at a time, and checks that the suite (on the
default and the portable build) or the fuzz targets (on both) notice it.

  tests/mutation/mutate.py [--commit REV] [--only M01,M07] [--fuzz-seconds N] [LIST]
  tests/mutation/mutate.py --check [LIST]  (stale mutations of the working tree)

The worktree and its four build folders live in build/mutants and are kept
between mutants and between runs, so that each mutant rebuilds only what it
touches. Verdicts: killed-by-test (the first failing test), killed-by-fuzz
(the target), SURVIVED, build (the mutant does not compile: mend the
mutation), stale (its lines are not found exactly once: mend the mutation).
The table goes to standard output and, a row as each mutant is done, to
build/mutants/results-COMMIT.txt. The list is the commit's own unless LIST
is given.
"""
import argparse, fcntl, glob, os, re, shutil, signal, subprocess, sys, time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WORK = os.path.join(ROOT, "build", "mutants")
TREE = os.path.join(WORK, "tree")
BUILDS = ["dev", "portable", "fuzz", "fuzz-portable"]  # each a preset of the tree


def parse(path, text):
    """The mutations of the list: id, path, what, anchor, the code out and in."""
    muts, cur = [], None
    for no, line in enumerate(text.split("\n"), 1):
        m = re.match(r"## (\S+) (\S+?): (.+)$", line)
        if m:
            cur = {"id": m[1], "path": m[2], "what": m[3], "anchor": "", "old": [], "new": []}
            muts.append(cur)
        elif cur is not None and line.startswith("@ ") and not cur["old"]:
            cur["anchor"] = line[2:]
        elif cur is not None and line[:1] in "-+" and line:
            if line[0] == "-" and cur["new"]:
                sys.exit(f"{path}:{no}: the '-' lines of {cur['id']} come before its '+' lines")
            cur["old" if line[0] == "-" else "new"].append(line[2:] if line[1:2] == " " else line[1:])
        elif line.strip() and not line.startswith("#"):
            sys.exit(f"{path}:{no}: not a header, an anchor, a '-' or '+' line, a comment or blank")
        else:
            cur = None
    return muts


def locate(text, mut):
    """The span of text that mut takes out: its code, the first time it stands
    after its anchor (which must stand once), every run of blanks and line
    ends taken as one blank on both sides; None where it is not found."""
    start = 0
    if mut["anchor"]:
        if text.count(mut["anchor"]) != 1:
            return None
        start = text.index(mut["anchor"])
    hay, where = [], []
    for i in range(start, len(text)):
        if text[i] in " \t\n":
            if hay and hay[-1] == " ":
                continue
            hay.append(" ")
        else:
            hay.append(text[i])
        where.append(i)
    needle = re.sub(r"[ \t\n]+", " ", " ".join(mut["old"])).strip()
    k = "".join(hay).find(needle) if needle else -1
    return None if k < 0 else (where[k], where[k + len(needle) - 1] + 1)


def mutated(text, mut):
    """text with mut in place, or None where its code is not found."""
    span = locate(text, mut)
    return None if span is None else text[:span[0]] + "\n".join(mut["new"]) + text[span[1]:]


def run(log, *cmd, cwd=None):
    """Runs cmd with its output in log, at low priority; True when it succeeds."""
    with open(log, "w") as out:
        return subprocess.run(["nice", "-n", "10", *cmd], cwd=cwd, stdout=out,
                              stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL).returncode == 0


def first_failure(log):
    text = open(log).read()
    m = re.search(r"\d+ - (\S+) \((?:Failed|Timeout)\)", text) or re.search(r"Test +#\d+: (\S+) \.+\*+", text)
    return m[1] if m else "ctest"


def verdict(mut, fuzz_seconds, logs):
    """Builds and checks the tree with mut in place."""
    for name in BUILDS:
        if not run(f"{logs}/{mut['id']}.build-{name}.log", "cmake", "--build", f"{WORK}/{name}", "-j2"):
            return "build", name
    for name in ("dev", "portable"):
        log = f"{logs}/{mut['id']}.test-{name}.log"
        if not run(log, "ctest", "--test-dir", f"{WORK}/{name}", "-j2", "--stop-on-failure", "--timeout", "300",
                   "-LE", "proof"):
            return "killed-by-test", f"{name}/{first_failure(log)}"
    for name in ("fuzz", "fuzz-portable"):
        for target in ("reader", "run", "fields"):
            corpus = f"{WORK}/corpus-{target}"
            shutil.rmtree(corpus, ignore_errors=True)
            shutil.copytree(f"{TREE}/tests/fuzz/corpus/{target}", corpus)
            if not run(f"{logs}/{mut['id']}.fuzz-{name}-{target}.log", f"{WORK}/{name}/tests/fuzz/fuzz_{target}",
                       f"-max_total_time={fuzz_seconds}", "-timeout=10", "-rss_limit_mb=2048",
                       f"-artifact_prefix={WORK}/artifacts/{mut['id']}-", corpus):
                return "killed-by-fuzz", f"{name}/fuzz_{target}"
    return "SURVIVED", ""


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--commit", default="HEAD")
    ap.add_argument("--only", default="")
    ap.add_argument("--fuzz-seconds", type=int, default=15)
    ap.add_argument("--check", action="store_true",
                    help="only name the mutations whose code the working tree does not hold")
    ap.add_argument("list", nargs="?", help="the list (default: the commit's tests/mutation/mutations.txt)")
    args = ap.parse_args()
    if args.check:
        path = args.list or os.path.join(ROOT, "tests", "mutation", "mutations.txt")
        stale = [m for m in parse(path, open(path, encoding="utf-8").read())
                 if not os.path.isfile(os.path.join(ROOT, m["path"]))
                 or mutated(open(os.path.join(ROOT, m["path"]), encoding="utf-8").read(), m) is None]
        for m in stale:
            print(f"stale: {m['id']} {m['path']}: {m['what']}")
        return 1 if stale else 0
    git = ["git", "-C", ROOT]
    commit = subprocess.run([*git, "rev-parse", "--verify", f"{args.commit}^{{commit}}"], check=True,
                            capture_output=True, text=True).stdout.strip()
    text = open(args.list, encoding="utf-8").read() if args.list else subprocess.run(
        [*git, "show", f"{commit}:tests/mutation/mutations.txt"], check=True, capture_output=True, text=True).stdout
    muts = parse(args.list or "tests/mutation/mutations.txt", text)
    only = set(filter(None, args.only.split(",")))
    if only - {m["id"] for m in muts}:
        sys.exit(f"mutate: no mutation {', '.join(sorted(only - {m['id'] for m in muts}))}")
    muts = [m for m in muts if not only or m["id"] in only]
    logs = os.path.join(WORK, "logs")
    os.makedirs(logs, exist_ok=True)
    os.makedirs(os.path.join(WORK, "artifacts"), exist_ok=True)
    lock = open(os.path.join(WORK, "lock"), "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        sys.exit(f"mutate: another run is using {WORK}")

    # A kill or a hang-up ends the run through the finally below, which puts
    # the mutated file back.
    for sig in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(sig, lambda *_: sys.exit(130))
    subprocess.run([*git, "worktree", "prune"], check=True)
    if not os.path.isdir(TREE):
        subprocess.run([*git, "worktree", "add", "--quiet", "--detach", TREE, commit], check=True)
    top = subprocess.run(["git", "-C", TREE, "rev-parse", "--show-toplevel"], capture_output=True, text=True)
    if top.stdout.strip() != TREE:  # never check out over another tree
        sys.exit(f"mutate: {TREE} is not a worktree of its own; remove it")
    subprocess.run(["git", "-C", TREE, "checkout", "--quiet", "--force", "--detach", commit], check=True)
    if subprocess.run(["git", "-C", TREE, "status", "--porcelain"], capture_output=True, text=True).stdout:
        sys.exit(f"mutate: {TREE} has changes that checkout did not undo")
    for name in BUILDS:
        preset = name
        cache = f"{WORK}/{name}/CMakeCache.txt"
        if os.path.exists(cache) and f"CMAKE_HOME_DIRECTORY:INTERNAL={TREE}\n" not in open(cache).read():
            shutil.rmtree(f"{WORK}/{name}")  # a build of another tree
        if not os.path.exists(cache) and not run(
                f"{logs}/configure-{name}.log", "cmake", "-S", TREE, "--preset", preset, "-B", f"{WORK}/{name}"):
            sys.exit(f"mutate: configuring {name} failed, see {logs}/configure-{name}.log")
    print(f"mutate: {len(muts)} mutations on {commit[:12]}; the unmutated tree first")
    start = time.time()
    base = verdict({"id": "unmutated"}, 5, logs)
    if base[0] != "SURVIVED":
        sys.exit(f"mutate: the unmutated tree fails ({base[0]} {base[1]}); see {logs}")

    rows, counts = [], {}
    results = os.path.join(WORK, f"results-{commit[:12]}.txt")
    open(results, "w").close()
    for m in muts:
        for old in glob.glob(f"{logs}/{m['id']}.*"):
            os.remove(old)
        t0, target = time.time(), os.path.join(TREE, m["path"])
        mutant = mutated(open(target, encoding="utf-8").read(), m) if os.path.isfile(target) else None
        if mutant is None:
            kind, where = "stale", "its anchor or code not found"
        else:
            try:
                with open(target, "w", encoding="utf-8") as f:
                    f.write(mutant)
                kind, where = verdict(m, args.fuzz_seconds, logs)
            finally:
                subprocess.run(["git", "-C", TREE, "checkout", "--quiet", "--", m["path"]], check=True)
        counts[kind] = counts.get(kind, 0) + 1
        row = f"{m['id']:<5} {kind:<15} {where:<34} {time.time() - t0:5.0f}  {m['path']}: {m['what']}"
        rows.append((kind, m["id"], row))
        print(row, flush=True)
        with open(results, "a") as out:
            out.write(row + "\n")
    for kind in ("killed-by-test", "killed-by-fuzz", "SURVIVED", "build", "stale"):
        print(f"{kind:<16} {counts.get(kind, 0)}")
    print("survivors:", " ".join(i for k, i, _ in rows if k == "SURVIVED") or "none")
    print(f"total time: {time.time() - start:.0f} s; table in {results}")
    return 1 if counts.get("SURVIVED") or counts.get("build") or counts.get("stale") else 0


if __name__ == "__main__":
    sys.exit(main())
