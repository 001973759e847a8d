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
same stderr "vantrel: gone.all.tmp: error: cannot open data file 'gone.all.tmp': No such file or directory"
same gone.jul old && [ ! -e gone.gap ] || fail "missing data file: outputs touched"
mkdir d.tmp e.jul && cp b.c.tmp e.tmp
run 'd\n0\n'; [ $? = 4 ] && [ ! -e d.jul ] || fail "folder as data file"
same stderr "vantrel: d.tmp: error: cannot open data file 'd.tmp': Is a directory"
run 'e\n0\n'; [ $? = 4 ] && [ ! -e e.gap ] || fail "folder as listing"
same stderr "vantrel: e.tmp: error: cannot open listing file 'e.jul': Is a directory"

# The dialogue by the gregorian calendar, named on the command line alone.
printf '2 29 2024 12 0\n' > gr.tmp
printf 'gr\n0\n' | eval "$tool -c gregorian" > stdout 2> stderr || fail "dialogue -c gregorian: status $?"
same gr.jul " 59.50012842.500 02-29-2024 12:00"

# Standard input that cannot be read is no reply that is missing.
$tool < / 2> stderr > /dev/null; [ $? = 3 ] || fail "standard input a folder: status"
same stderr "vantrel: error: standard input could not be read: Is a directory"

# A full disk fails the run, and says so.
cp b.c.tmp f.tmp && ln -s /dev/full f.gap && run 'f\n0\n'; [ $? = 5 ] || fail "full disk: status"
same stderr "vantrel: f.tmp: error: the trace file 'f.gap' could not be written in full: No space left on device"
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
# table of command lines, each run in a fresh copy of one folder with its
# summary beside it: its status, standard error (joined by |), the files it
# leaves beside the fixture's, and its summary's rows (path, status, exit,
# values, records, notes). Standard output stays empty but for --help and
# --version and the summary of -s -.
[ "$($tool --version)" = "vantrel 0.99" ] || fail "--version"
for o in '-n, --values=N' '-o, --output-dir=DIR' '-j, --jobs=N' '-h, --help' '-V, --version' \
  '-s, --summary=FILE' '-S, --strict' '-H, --skip-lines=N' '-k, --keep-folders'; do
  $tool --help | grep -qF -- "$o" || fail "--help does not name $o"
done
mkdir cl cl/out && (cd cl && eval "$tool -o out ../station90.all.tmp") || fail "sample: command line"
cmp -s cl/out/station90.jul "$examples/station90.jul" && cmp -s cl/out/station90.gap "$examples/station90.gap" ||
  fail "sample: the command line's outputs differ from the dialogue's"
mkdir fx fx/a fx/b fx/out && cd fx || exit 1
printf '1 1 90 0 0 1\n' | tee a/st.all.tmp b/st.all.tmp b/c.d x.jul st.gap > full.tmp && ln -s /dev/full full.gap
printf '1 1 90 0 0 1\n1 1 90 0 5 x\n' > bad.tmp && echo 1 1 90 > short.tmp && printf '1 2 90 0 0 1\n1 1 90 0 5 1\n' > late.tmp
printf 'mon day yr h m T\n1 1 90 0 0 1\n' > hdr.tmp && : > empty.tmp
printf '1 1 90 0 0 1\n1 1 90 0 5,,\n1 1 90 0 9' > holes.tmp && printf '12 31 2023 0 0\n1 1 24 0 0\n' > years.tmp && echo 1 1 2100 0 0 > far.tmp && echo 1 1 2024 0 0 > years-2024.jul
cd .. && (cd fx && find . -type f) | LC_ALL=C sort > fixture
# Options after the files too, whatever the environment.
export POSIXLY_CORRECT=1
cli() {
  rm -rf row sum.tsv && cp -R fx row && cd row && eval "$tool -s ../sum.tsv $2" > ../stdout 2> ../stderr
  got=$? && left=$(find . -type f | LC_ALL=C sort | LC_ALL=C comm -13 ../fixture - | tr '\n' ' ') && cd ..
  rows=$( [ -f sum.tsv ] && tail -n +2 sum.tsv | cut -f1,4,5,6,8,28 | tr '\t\n' ' |')
  [ "$got" = "$1" ] && [ "$left" = "$3" ] && [ ! -s stdout ] && [ "$(tr '\n' '|' < stderr)" = "$4" ] &&
    [ "$rows" = "$5" ] || fail "vantrel $2: status $got, left '$left', stderr $(cat stderr), summary '$rows'"
}
try="(vantrel --help tells more)|"
e="vantrel: error:"
cli 3 '--bogus a/st.all.tmp' '' "$e unknown option '--bogus' $try" ''
cli 3 '-n nine a/st.all.tmp' '' "$e -n (--values) takes a whole number from 0 to 12 or auto, not 'nine' $try" ''
cli 3 '--values=13 a/st.all.tmp' '' "$e -n (--values) takes a whole number from 0 to 12 or auto, not '13' $try" ''
cli 3 'a/st.all.tmp -n' '' "$e -n (--values) needs a value $try" ''
cli 3 '-j 0 a/st.all.tmp' '' "$e -j (--jobs) takes a whole number of at least 1, not '0' $try" ''
cli 3 '--strict=1 a/st.all.tmp' '' "$e -S (--strict) takes no value $try" ''
cli 3 '-n 1' '' "$e no data file was named $try" ''
cli 3 '-c gregorian -S' '' "$e no data file was named $try" ''
cli 3 '-c julian a/st.all.tmp' '' "$e -c (--calendar) takes classic or gregorian, not 'julian' $try" ''
cli 3 '-k a/st.all.tmp' '' "$e -k (--keep-folders) keeps the data files' folders under an output folder: give -o DIR $try" ''
cli 3 '-o nowhere a/st.all.tmp' '' "$e output folder 'nowhere': No such file or directory|" 'a/st.all.tmp refused 3   |'
cli 3 '-o x.jul a/st.all.tmp' '' "$e output folder 'x.jul' is not a folder|" 'a/st.all.tmp refused 3   |'
cli 3 '-o . a/st.all.tmp b/st.all.tmp' '' "$e 'a/st.all.tmp' and 'b/st.all.tmp' would both write ./st.jul and ./st.gap; -k (--keep-folders) keeps each file's folder under the output folder|" 'a/st.all.tmp refused 3   |b/st.all.tmp refused 3   |'
cli 3 'a/st.all.tmp ./a/st.all.tmp' '' "$e 'a/st.all.tmp' and './a/st.all.tmp' would both write ./a/st.jul and ./a/st.gap|" 'a/st.all.tmp refused 3   |./a/st.all.tmp refused 3   |'
cli 3 '-k -o out ../fx/a/st.all.tmp' '' "$e '../fx/a/st.all.tmp' lies in a folder given with \"..\", which -k (--keep-folders) cannot keep under the output folder: name it from a folder above|" '../fx/a/st.all.tmp refused 3   |'
cli 3 'x.jul' '' "$e the output x.jul of 'x.jul' would overwrite the data file 'x.jul'|" 'x.jul refused 3   |'
cli 3 'st.gap' '' "$e the output st.gap of 'st.gap' would overwrite the data file 'st.gap'|" 'st.gap refused 3   |'
cli 3 '-j 1 a/st.all.tmp a/st.jul' '' "$e the output a/st.jul of 'a/st.all.tmp' would overwrite the data file 'a/st.jul'|" 'a/st.all.tmp refused 3   |a/st.jul refused 3   |'
cli 3 'a/st.all.tmp -s a/st.all.tmp' '' "$e the summary 'a/st.all.tmp' would overwrite the data file 'a/st.all.tmp'|" ''
cli 0 '-n 0 a/st.all.tmp' './a/st.gap ./a/st.jul ' '' 'a/st.all.tmp listed 0 0 1 |'
cli 0 '-k -o out a/st.all.tmp ./b/st.all.tmp' './out/a/st.gap ./out/a/st.jul ./out/b/st.gap ./out/b/st.jul ' '' 'a/st.all.tmp listed 0 1 1 |./b/st.all.tmp listed 0 1 1 |'
cli 0 '-n 1 -- a/st.all.tmp' './a/st.gap ./a/st.jul ' '' 'a/st.all.tmp listed 0 1 1 |'
cli 0 '-y -c gregorian years.tmp' './years-2023.gap ./years-2023.jul ./years-2024.gap ' '' 'years.tmp listed 0 0 1 |years.tmp listed 0 0 1 |'
cli 4 '-y -c gregorian -j1 years-2024.jul years.tmp' './years-2023.gap ./years-2023.jul ./years-2024-2024.gap ./years-2024-2024.jul ' "vantrel: years.tmp: error: the output years-2024.jul would overwrite the data file 'years-2024.jul'|" 'years-2024.jul listed 0 0 1 |years.tmp listed 0 0 1 |years.tmp cannot-open 4 0  |'
cli 1 '-c gregorian far.tmp' './far.gap ./far.jul ' "vantrel: far.tmp: error: Read error|vantrel: far.tmp: error: 1/ 1/ 2100 0: 0|vantrel: far.tmp:1: error: the year (\"2100\") is not one the gregorian calendar takes: 1900 to 2099 in four digits, or two digits (89 to 99 for 1989 to 1999, 00 to 88 for 2000 to 2088)|" 'far.tmp read-error 1 0 0 |'
cli 0 'a/st.all.tmp --values 1 -j 3 --output-dir=a b/c.d' './a/c.gap ./a/c.jul ./a/st.gap ./a/st.jul ' '' 'a/st.all.tmp listed 0 1 1 |b/c.d listed 0 1 1 |'
cli 2 'late.tmp' './late.gap ./late.jul ' "vantrel: late.tmp: error: HEY, 0.0034722222 is less than 1.0  1/ 1/ 90 0: 5|vantrel: late.tmp: error: DATES OUT OF ORDER|vantrel: late.tmp:2: error: the record is dated before the one above it|" 'late.tmp out-of-order 2 1 1 |'
cli 4 '-j 1 -n 1 -o . bad.tmp b/bad.tmp b/c.d' './bad.gap ./bad.jul ./c.gap ./c.jul ' "vantrel: bad.tmp: error: Read error|vantrel: bad.tmp: error: 1/ 1/ 90 0: 5 1.0|vantrel: bad.tmp:2: error: value 1 (\"x\") is not a number|vantrel: b/bad.tmp: error: cannot open data file 'b/bad.tmp': No such file or directory|" 'bad.tmp read-error 1 1 1 |b/bad.tmp cannot-open 4 1  |b/c.d listed 0 1 1 |'
cli 6 '-j 1 b/c.d short.tmp hdr.tmp' './b/c.gap ./b/c.jul ' "vantrel: short.tmp:1: error: the line holds 3 numbers, not the 5 date and time parts and 0 to 12 values of a record|vantrel: hdr.tmp:1: error: the values cannot be counted: the line holds more than numbers (a header? --skip-lines passes over it)|" 'b/c.d listed 0 1 1 |short.tmp no-count 6   |hdr.tmp no-count 6   |'
cli 0 '--skip-lines=1 hdr.tmp' './hdr.gap ./hdr.jul ' '' 'hdr.tmp listed 0 1 1 |'
cli 0 '-n 1 -H 1 hdr.tmp' './hdr.gap ./hdr.jul ' '' 'hdr.tmp listed 0 1 1 |'
cli 0 '-j1 -n 1 holes.tmp empty.tmp' './empty.gap ./empty.jul ./holes.gap ./holes.jul ' "vantrel: holes.tmp:2: note: an empty value took the previous record's value: 1 value in 1 record, the first on this line; is a field missing?|vantrel: holes.tmp:3: note: the last record is cut short by the end of the file and is not listed|vantrel: empty.tmp: note: the data file holds no record: the listing is empty|" 'holes.tmp listed 0 1 2 cut-last-record,carried-empty-value|empty.tmp listed 0 1 0 empty|'
cli 7 '-S -j 1 -n 1 holes.tmp a/st.all.tmp' './a/st.gap ./a/st.jul ./holes.gap ./holes.jul ' "vantrel: holes.tmp:2: error: an empty value took the previous record's value: 1 value in 1 record, the first on this line; is a field missing?|vantrel: holes.tmp:3: error: the last record is cut short by the end of the file and is not listed|" 'holes.tmp noted 7 1 2 cut-last-record,carried-empty-value|a/st.all.tmp listed 0 1 1 |'
cli 4 "-n 1 'new
line.tmp'" '' "vantrel: new\\x0aline.tmp: error: cannot open data file 'new\\x0aline.tmp': No such file or directory|" 'new\x0aline.tmp cannot-open 4 1  |'
cli 5 '-j1 -n1 full.tmp a' './full.jul ' "vantrel: full.tmp: error: the trace file 'full.gap' could not be written in full: No space left on device|vantrel: a: error: cannot open data file 'a': Is a directory|" 'full.tmp write-failed 5 1 1 |a cannot-open 4 1  |'
unset POSIXLY_CORRECT
[ "$(ls -A fx | grep -c vantrel)" = 0 ] || fail "temporary outputs left"

# A stop on SIGINT, SIGTERM or SIGHUP, while a batch is held by a pipe whose
# writer has sent one record and waits: the file finished is listed and
# summed up, the one held keeps its earlier listing (through the link that
# stands for it) though its new one is open, and is named, and nothing
# temporary is left. Signals a shell's background job starts with ignored
# are given back their default first; one the tool is started with
# ignored (nohup) stays so. A run that ends replaces the file a link names,
# and the link stays.
printf '1 1 90 0 0 1\n' > done.tmp && mkfifo held.tmp && mkdir store && ln -s store/held.jul held.jul
for sig in INT:130 TERM:143 HUP:129; do
  want=${sig#*:} sig=${sig%:*}
  rm -f done.jul sum.tsv && echo earlier > store/held.jul
  { cat done.tmp; sleep 5; } > held.tmp & writer=$!
  env --default-signal=INT,TERM,HUP $tool -j1 -s sum.tsv done.tmp held.tmp 2> stderr & pid=$!
  i=0; until ls -A | grep -q '^\.vantrel-.*held.gap' || [ $i -gt 100 ]; do i=$((i + 1)); sleep 0.05; done
  kill -$sig $pid; wait $pid; got=$?; kill $writer 2> /dev/null
  [ "$got" = "$want" ] && same store/held.jul earlier && [ -s done.jul ] &&
    [ "$(tail -n +2 sum.tsv | cut -f1,4)" = "$(printf 'done.tmp\tlisted')" ] &&
    [ "$(ls -A . store | grep -c vantrel)" = 0 ] ||
    fail "SIG$sig: status $got, $(ls -A | tr '\n' ' '), summary $(cat sum.tsv)"
  same stderr "vantrel: held.tmp: error: stopped by SIG$sig before the end of the file: its listing and trace were left as they were"
done
cat done.tmp > held.tmp & $tool held.tmp && [ -L held.jul ] && same store/held.jul "  0.000  365.000 01-01-1990 00:00     1.00" ||
  fail "a linked listing: $(ls -l held.jul)"

# Run by someone else than the outputs' owner: a listing that may not be
# written is not replaced (status 4), and in a folder that takes no new
# file, outputs written in place are named as cut by a stop.
if [ "$(id -u)" = 0 ] && command -v setpriv > /dev/null; then
  as_nobody() { setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"; }
  mkdir open shut && chmod 777 open && printf '1 1 90 0 0\n' > open/p.tmp && echo mine > open/p.jul
  chmod 444 open/p.jul && chmod 644 open/p.tmp
  (cd open && as_nobody $tool p.tmp 2> ../stderr); [ $? = 4 ] && same open/p.jul mine ||
    fail "a listing that may not be written: replaced"
  same stderr "vantrel: p.tmp: error: cannot open listing file 'p.jul': Permission denied"
  mkfifo shut/w.tmp && touch shut/w.jul shut/w.gap && chmod 666 shut/w.jul shut/w.gap && chmod 555 shut
  { printf '1 1 90 0 0\n'; sleep 5; } > shut/w.tmp & writer=$!
  (cd shut && exec setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env --default-signal=TERM $tool w.tmp 2> ../stderr) & pid=$!
  sleep 0.5; kill -TERM $pid; wait $pid; kill $writer 2> /dev/null; chmod 755 shut
  same stderr "vantrel: w.tmp: error: stopped by SIGTERM before the end of the file: 'w.jul' and 'w.gap', written in place, are cut"
fi
nohup $tool held.tmp > /dev/null 2> stderr & pid=$!; sleep 0.3; kill -HUP $pid; sleep 0.2
kill -0 $pid 2> /dev/null || fail "nohup: stopped by SIGHUP"
kill -TERM $pid; wait $pid

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

# A batch at a terminal shows its status line while a file is still being
# read (here a pipe that waits for the test), takes it off at the end and
# leaves one line of how its files ended; the same batch off a terminal,
# started first, says nothing. A single file's count is named there.
mkfifo p.tmp q.tmp && mkdir qo && rm -f b.jul
$tool -o qo b.c.tmp q.tmp 2> quiet & quiet=$!
script -qfec "$tool -n 0 b.c.tmp p.tmp" screen < /dev/null > /dev/null & tty=$!
wait_for '1/2 files, 0 failed' || fail "terminal: no status line"
for p in p q; do timeout 10 sh -c "cat b.c.tmp > $p.tmp" || fail "batch: $p.tmp not read"; done
wait $tty || fail "batch at a terminal: status $?"
case $(tr '\n' ' ' < screen | sed 's/.*files, 0 failed//') in *"$(printf '\033[K\r\033[K')vantrel: 2 files: 2 listed, 0 failed, 0 with notes"*) ;;
  *) fail "terminal: the status line is left on the screen, or no closing line" ;; esac
wait $quiet && [ ! -s quiet ] || fail "batch off a terminal: not silent"
script -qfec "$tool -o qo b.c.tmp" screen < /dev/null > /dev/null
grep -q 'b.c.tmp:1: 0 values a record, counted on this line' screen || fail "terminal: count not named"
exit $failed
