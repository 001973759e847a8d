#!/bin/sh
# The tool as a process, where only that shows it: real files, pipes, closed
# streams, a full disk, a memory limit and a terminal.
# Usage: e2e.sh TOOL EXAMPLES [no-memory-limit]; TOOL may be "emulator binary".
set -u
tool=$1 examples=$2 no_limit=${3:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failed=0
fail() { echo "FAIL: $*"; failed=1; }
# run REPLIES [REDIRECTS]: the tool with its replies on standard input.
run() { printf "$1" > replies; eval "$tool < replies 2> stderr ${2:-> stdout}"; }
same() { [ "$(cat "$1")" = "$2" ] || fail "$1 holds: $(cat "$1")"; }

# The bundled sample, byte for byte (its outage was checked by hand).
cp "$examples/station90.all.tmp" .
run "$(cat "$examples/station90.replies")\n" || fail "sample: status $?"
cmp -s station90.jul "$examples/station90.jul" || fail "sample listing differs"
cmp -s station90.gap "$examples/station90.gap" || fail "sample trace differs"

# An earlier run's outputs are emptied and rewritten; a missing data file or
# a folder in a file's place is reported before any output is touched.
printf '1 1 90 0 0\n' > b.c.tmp
head -c 5000 /dev/zero | tr '\0' x > b.jul && cp b.jul b.gap
run 'b.c\n0\n' || fail "rerun: status $?"
same b.jul "  0.000  365.000 01-01-1990 00:00"
same b.gap "$(printf ' 0.0 1\n 0.0 1\n 0.0 0\n 365.0 0')"
echo old > gone.jul
run 'gone.all\n9\n'; [ $? = 4 ] || fail "missing data file: status"
same stderr "vantrel: cannot open data file 'gone.all.tmp': No such file or directory"
same gone.jul old && [ ! -e gone.gap ] || fail "missing data file: outputs touched"
mkdir d.tmp e.jul && cp b.c.tmp e.tmp
run 'd\n0\n'; [ $? = 4 ] && [ ! -e d.jul ] || fail "folder as data file"
same stderr "vantrel: cannot open data file 'd.tmp': Is a directory"
run 'e\n0\n'; [ $? = 4 ] && [ ! -e e.gap ] || fail "folder as listing"
same stderr "vantrel: cannot open listing file 'e.jul': Is a directory"

# Standard input that cannot be read is no reply that is missing.
$tool < / 2> stderr > /dev/null; [ $? = 3 ] || fail "standard input a folder: status"
same stderr "vantrel: standard input could not be read: Is a directory"

# A full disk fails the run, and says so.
cp b.c.tmp f.tmp && ln -s /dev/full f.gap && run 'f\n0\n'; [ $? = 5 ] || fail "full disk: status"
same stderr "vantrel: the trace file 'f.gap' could not be written in full: No space left on device"
same f.jul "  0.000  365.000 01-01-1990 00:00"

# A closed pipe on standard output, or no standard output and error at all:
# the files are completed, and no console line lands in them.
awk 'BEGIN { for (d = 1; d <= 28; d++) for (h = 0; h < 24; h++) print 2, d, 90, h, 0, 1.5 }' > g.tmp
run 'g\n1\n' '| head -c 1 > /dev/null'
[ "$(wc -c < g.jul)" -eq $((28 * 24 * 43)) ] || fail "closed pipe: listing cut"
same g.gap "$(printf ' 0.0 0\n 31.0 0\n 31.0 1\n 58.958332 1\n 58.958332 0\n 365.0 0')"
printf '1 1 90 0 0\n1 1 90 0 x\n' > m.a.tmp && run 'm.a\n0\n' '>&- 2>&-'; [ $? = 1 ] || fail "closed streams: status"
same m.jul "  0.000  365.000 01-01-1990 00:00" && same m.gap " 0.0 1"

# The command line. The sample, byte for byte, from another folder; then a
# table of command lines, each run in a fresh copy of one folder: its status,
# standard error (joined by |), and the files it leaves beside the fixture's.
# Standard output stays empty but for --help and --version.
[ "$($tool --version)" = "vantrel 0.99" ] || fail "--version"
for o in '-n, --values=N' '-o, --output-dir=DIR' '-j, --jobs=N' '-h, --help' '-V, --version'; do
  $tool --help | grep -qF -- "$o" || fail "--help does not name $o"
done
mkdir cl cl/out && (cd cl && eval "$tool -n 9 -o out ../station90.all.tmp") || fail "sample: command line"
cmp -s cl/out/station90.jul "$examples/station90.jul" && cmp -s cl/out/station90.gap "$examples/station90.gap" ||
  fail "sample: the command line's outputs differ from the dialogue's"
mkdir fx fx/a fx/b && cd fx || exit 1
printf '1 1 90 0 0 1\n' | tee a/st.all.tmp b/st.all.tmp b/c.d x.jul > full.tmp && ln -s /dev/full full.gap
printf '1 1 90 0 0 1\n1 1 90 0 5 x\n' > bad.tmp && echo 1 1 90 > short.tmp && printf '1 2 90 0 0 1\n1 1 90 0 5 1\n' > late.tmp
cd .. && (cd fx && find . -type f) | LC_ALL=C sort > fixture
# Options after the files too, whatever the environment.
export POSIXLY_CORRECT=1
cli() {
  rm -rf row && cp -R fx row && cd row && eval "$tool $2" > ../stdout 2> ../stderr
  got=$? && left=$(find . -type f | LC_ALL=C sort | LC_ALL=C comm -13 ../fixture - | tr '\n' ' ') && cd ..
  [ "$got" = "$1" ] && [ "$left" = "$3" ] && [ ! -s stdout ] && [ "$(tr '\n' '|' < stderr)" = "$4" ] ||
    fail "vantrel $2: status $got, left '$left', stderr $(cat stderr)"
}
try="(vantrel --help tells more)|"
cli 3 '--bogus a/st.all.tmp' '' "vantrel: unknown option '--bogus' $try"
cli 3 'a/st.all.tmp' '' "vantrel: the number of values per record is needed: -n N (--values=N) $try"
cli 3 '-n nine a/st.all.tmp' '' "vantrel: -n (--values) takes a whole number from 0 to 12 or auto, not 'nine' $try"
cli 3 '--values=13 a/st.all.tmp' '' "vantrel: -n (--values) takes a whole number from 0 to 12 or auto, not '13' $try"
cli 3 'a/st.all.tmp -n' '' "vantrel: -n (--values) needs a value $try"
cli 3 '-n 1 -j 0 a/st.all.tmp' '' "vantrel: -j (--jobs) takes a whole number of at least 1, not '0' $try"
cli 3 '-n 1' '' "vantrel: no data file was named $try"
cli 3 '-n 1 -o nowhere a/st.all.tmp' '' "vantrel: output folder 'nowhere': No such file or directory|"
cli 3 '-n 1 -o x.jul a/st.all.tmp' '' "vantrel: output folder 'x.jul' is not a folder|"
cli 3 '-n 1 -o . a/st.all.tmp b/st.all.tmp' '' "vantrel: 'a/st.all.tmp' and 'b/st.all.tmp' would both write ./st.jul and ./st.gap|"
cli 3 '-n 1 a/st.all.tmp ./a/st.all.tmp' '' "vantrel: 'a/st.all.tmp' and './a/st.all.tmp' would both write ./a/st.jul and ./a/st.gap|"
cli 3 '-n 1 x.jul' '' "vantrel: the output x.jul of 'x.jul' would overwrite the data file 'x.jul'|"
cli 3 '-j 1 -n 1 a/st.all.tmp a/st.jul' '' "vantrel: the output a/st.jul of 'a/st.all.tmp' would overwrite the data file 'a/st.jul'|"
cli 0 '-n 12 a/st.all.tmp' './a/st.gap ./a/st.jul ' ''
cli 0 'a/st.all.tmp --values 1 -j 3 --output-dir=a b/c.d' './a/c.gap ./a/c.jul ./a/st.gap ./a/st.jul ' ''
cli 2 '-n 1 late.tmp' './late.gap ./late.jul ' "vantrel: late.tmp: HEY, 0.0034722222 is less than 1.0  1/ 1/ 90 0: 5|vantrel: late.tmp: DATES OUT OF ORDER|vantrel: late.tmp: line 2: the record is dated before the one above it|"
cli 4 '-j 1 -n 1 -o . bad.tmp b/bad.tmp b/c.d' './bad.gap ./bad.jul ./c.gap ./c.jul ' "vantrel: bad.tmp: Read error|vantrel: bad.tmp: 1/ 1/ 90 0: 5 1.0|vantrel: bad.tmp: line 2: value 1 (\"x\") is not a number|vantrel: b/bad.tmp: cannot open data file 'b/bad.tmp': No such file or directory|"
cli 3 '-j 1 --values auto b/c.d short.tmp' './b/c.gap ./b/c.jul ' "vantrel: short.tmp: line 1: the line holds 3 numbers, not the 5 date and time parts and 0 to 12 values of a record|"
cli 4 "-n 1 'new
line.tmp'" '' "vantrel: new\\x0aline.tmp: cannot open data file 'new\\x0aline.tmp': No such file or directory|"
cli 5 '-j1 -n1 full.tmp a' './full.jul ' "vantrel: full.tmp: the trace file 'full.gap' could not be written in full: No space left on device|vantrel: a: cannot open data file 'a': Is a directory|"
unset POSIXLY_CORRECT

# Lines of any length in fixed memory: 256 MiB of blanks and 64 MiB of
# commas (a record of empty values: the one above, again) under 64 MiB.
if [ -z "$no_limit" ]; then
  { echo '1 1 90 0 0 1'; head -c 268435456 /dev/zero | tr '\0' ' '; echo; echo '1 1 90 0 5 2'
    head -c 67108864 /dev/zero | tr '\0' ,; echo; echo '1 1 90 0 10 3'; } > h.tmp
  (ulimit -v 65536; run 'h\n1\n') || fail "huge lines: status $?"
  same h.jul "$(printf '%s\n' '  0.000  365.000 01-01-1990 00:00     1.00' \
    '  0.003  365.003 01-01-1990 00:05     2.00' '  0.003  365.003 01-01-1990 00:05     2.00' \
    '  0.007  365.007 01-01-1990 00:10     3.00')"
fi

# At a terminal each question is on the screen before the tool waits for its
# reply, and no file is opened before both are given (skipped, with a note,
# where no pseudo-terminal can be had).
wait_for() { i=0; until grep -qs "$1" screen; do i=$((i + 1)); [ $i -gt 100 ] && return 1; sleep 0.1; done; }
if ! script -qfec true /dev/null </dev/null >/dev/null 2>&1; then echo "terminal: no pseudo-terminal; skipped"; exit $failed; fi
mkfifo keys && cp b.c.tmp s.tmp
script -qfec "$tool" screen < keys > /dev/null & tty=$!
exec 3> keys
wait_for 'e.g. mervo90.all' || fail "terminal: no first question"
sleep 0.3; grep -q 'data fields' screen && fail "terminal: second question before the reply"
echo s >&3; wait_for 'e.g. 9' || fail "terminal: no second question"
[ -e s.jul ] && fail "terminal: a file opened before both replies"
echo 0 >&3; exec 3>&-
wait $tty || fail "terminal: status $?"
same s.jul "  0.000  365.000 01-01-1990 00:00"

# A batch at a terminal names the counts it takes and shows its status line
# while a file is still being read (here a pipe that waits for the test),
# and takes it off at the end; the same batch off a terminal, started first,
# says nothing.
mkfifo p.tmp q.tmp && mkdir qo && rm -f b.jul
$tool -n auto -o qo b.c.tmp q.tmp 2> quiet & quiet=$!
script -qfec "$tool -n 0 b.c.tmp p.tmp" screen < /dev/null > /dev/null & tty=$!
wait_for '1/2 files, 0 failed' || fail "terminal: no status line"
for p in p q; do timeout 10 sh -c "cat b.c.tmp > $p.tmp" || fail "batch: $p.tmp not read"; done
wait $tty || fail "batch at a terminal: status $?"
case $(tr '\n' ' ' < screen | sed 's/.*files, 0 failed//') in *"$(printf '\033[K\r\033[K')"*) ;;
  *) fail "terminal: the status line is left on the screen" ;; esac
wait $quiet && [ ! -s quiet ] || fail "batch off a terminal: not silent"
script -qfec "$tool -n auto -o qo b.c.tmp" screen < /dev/null > /dev/null
grep -q 'b.c.tmp: line 1: 0 values a record, counted on this line' screen || fail "terminal: count not named"
exit $failed
