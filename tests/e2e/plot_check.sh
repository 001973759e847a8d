#!/bin/sh
# The plotting scripts (77 = skipped when gnuplot is not installed, after
# the checks that need none): plot-coverage draws the sample, named by a
# path with its suffix, into a PNG beside it, refuses the traces of runs
# that stopped early and a value it cannot draw, and draws odd names and
# flat values without a word; plot-archive draws four stems, one with a
# long name, into one picture of the size it should have, without a word
# from gnuplot; then its faults, each with its status and the name of what
# is wrong, the good stems still drawn.
set -eu
source_tools=$1 examples=$2 data=$3 vantrel=$4 report=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The scripts as installed beside the report under test, which they run.
tools=$work/tools
mkdir "$tools" && cp "$source_tools/plot-coverage" "$source_tools/plot-archive" \
    "$source_tools/listing.awk" "$tools/" && ln -s "$report" "$tools/vantrel-coverage-report"
# The days of the year and the values that plot-coverage gives gnuplot,
# here a stand-in that keeps them: 1996's, 2000's and 2024's 366 known from their
# listings also when the lines lack the value drawn (-v 3 of one value), 365
# for 1900 and for a trace without a listing; the value named, the 11th and 12th from a record's second line.
mkdir "$work/stub" && printf '#!/bin/sh\necho "$7" >days\n[ -z "$4" ] || cut -d" " -f2 "$4" | tr "\\n" " " >values\n' \
    >"$work/stub/gnuplot" && chmod +x "$work/stub/gnuplot"
(cd "$work" && cp "$data/leap96.gap" "$data/leap96.jul" . && cp leap96.gap bare.gap && cp leap96.gap twelve.gap &&
    for y in 2024 2000 1900; do cp leap96.gap l$y.gap && sed "s/-1996 /-$y /" leap96.jul >l$y.jul; done &&
    printf '%s\n' '  0.000    0.000 01-01-1989 00:00     1.00     2.00     3.00     4.00     5.00     6.00     7.00     8.00     9.00    10.00' \
        ' 11.000   12.000' >twelve.jul &&
    while read -r want values args; do
        rm -f days values && PATH=$work/stub:$PATH "$tools/plot-coverage" $args 2>/dev/null || true
        { [ "$values" = - ] || [ "$(cat values)" = "$values " ]; } && [ "$(cat days)" = "$want" ] ||
            { echo "plot-coverage $args: $(cat days) days, values $(cat values)"; exit 1; }
    done <<'ROWS'
366 - leap96
366 - -v 3 leap96
366 - l2024
366 - l2000
365 - l1900
365 - bare
365 3 -v 3 twelve
365 10 --value=10 twelve
365 11 -v 11 twelve
365 12 -v 12 twelve
ROWS
)
command -v gnuplot >/dev/null 2>&1 || { echo "gnuplot not installed; skipped"; exit 77; }
cp "$examples/station90.gap" "$examples/station90.jul" "$work/"
"$tools/plot-coverage" "$work/station90.gap"
# A PNG starts with its 8-byte signature; its width and height follow at 16.
size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'; }
[ "$(head -c 8 "$work/station90.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]
cd "$work"
# A trace whose run stopped early is not drawn, also one whose last record
# rose at 365.0 (31 December 00:00 of 1996); a value past the twelfth is refused.
head -n 5 "$data/leap96.gap" >cut.gap
{ head -n 5 "$data/leap96.gap"; printf ' 365.0 0\n 365.0 1\n'; } >rise.gap
if "$tools/plot-coverage" cut 2>err; then echo "cut trace drawn"; exit 1; fi
grep -q '^plot-coverage: cut.gap: line 5: the trace ends at' err && [ ! -e cut.png ]
if "$tools/plot-coverage" rise 2>err; then echo "risen trace drawn"; exit 1; fi
grep -q '^plot-coverage: rise.gap: line 7: the trace ends on a rise' err && [ ! -e rise.png ]
status=0 && "$tools/plot-coverage" -v 13 station90 2>/dev/null || status=$?
[ "$status" = 2 ]
# Drawn without a word: a name holding "=" (awk's operands would take it for
# an assignment), a value the same on every record (an empty range to gnuplot).
for f in x=1 flat; do cp station90.gap "$f.gap"; done && cp station90.jul x=1.jul
head -n 1 station90.jul >flat.jul && head -n 1 station90.jul >>flat.jul
"$tools/plot-coverage" x=1 flat </dev/null 2>err && [ ! -s err ] && [ -s x=1.png ] && [ -s flat.png ] ||
    { cat err; exit 1; }
# Many stems, one with a name too long for the margin, cut by its ends
# (at the twelfth byte, the first of two of an "é").
long=$(printf '%011d\303\251%085d' 0 0) && cp station90.jul "$long.jul" && cp station90.gap "$long.gap"
cp station90.jul ./-x.jul && cp station90.gap ./-x.gap
"$tools/plot-archive" station90.jul "$data/leap92.gap" "$data/leap96" "$long" 2>err
[ ! -s err ] && [ "$(size archive-coverage.png)" = 900x400 ] || { cat err; size archive-coverage.png; exit 1; }
# The station view keeps apart stations whose files have one name, and
# gives each its row (a stand-in gnuplot keeps the rows' labels).
mkdir -p stub2 st/loch st/mire && printf '#!/bin/sh\ncut -f3 "$6" >labels\n' >stub2/gnuplot && chmod +x stub2/gnuplot
for s in loch mire; do for y in 90 91; do echo "1 1 $y 0 0 1" >st/$s/d$y.all.tmp; done; done
"$vantrel" -o st -k -s st.tsv st/*/*.all.tmp && PATH=$PWD/stub2:$PATH "$tools/plot-archive" -s -o st.png st.tsv
[ "$(tr '\n' ' ' <labels)" = "st/st/loch/d st/st/mire/d " ] || { echo "station view rows: $(cat labels)"; exit 1; }
# A summary with a failed station-year, a table of its own.
printf '2 29 92 0 0 1\n' >late92.tmp && printf '3 1 92 0 0 1\n2 1 92 0 0 1\n' >bad93.tmp
"$vantrel" -s sum.tsv late92.tmp bad93.tmp 2>/dev/null || true
while read -r want made args; do
    rm -f a.png
    status=0 && eval "\"$tools/plot-archive\" -o a.png $args" 2>err || status=$?
    { [ "$status" = "$want" ] && [ "$([ -s a.png ] && echo yes || echo no)" = "$made" ] &&
        { [ "$want" = 0 ] || grep -q 'plot-archive' err; }; } || { echo "plot-archive $args: status $status"; cat err; exit 1; }
done <<'ROWS'
2 no
2 no --bogus station90
2 no station90 -o
2 no station90 -o x.jul
2 no station90 -o x.tmp
2 no station90 -o x.tsv
1 yes station90 nothere.jul
1 yes nothere
1 yes station90 none.tsv
0 yes -- -x
0 yes station90
0 yes sum.tsv
0 yes -s sum.tsv station90
0 yes --stations=path sum.tsv
1 no --stations=nocolumn sum.tsv
ROWS
