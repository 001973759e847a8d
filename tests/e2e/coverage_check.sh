#!/bin/sh
# vantrel-coverage-report on the sample and on two leap years, against reports
# worked out by hand and with GNU date.  data/coverage holds the data files
# and what vantrel made of them (printf 'leap92.all\n1\n' | vantrel): 1992
# starts at midnight on 1 January, has a lone record on 29 February, a break
# of 61 minutes and breaks on 31 December, past the trace's 365.0; 1996 has
# half of February with data and ends at 23:16 on 30 December, just before
# the trace would close at 1.  The table of all three (--tsv), the same
# numbers, from paths ending in a suffix as a glob gives them (one in a
# folder whose name holds a "."), each stem once; usage mistakes exit 2.
# Then each fault must fail, naming its file, and get a row of its status
# with its coverage left empty.  A leap year of this century, listed by the
# gregorian calendar, reports as 1996, which has its days, does.
set -eu
tool=$1 examples=$2 data=$3 vantrel=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$examples" && "$tool" station90) >"$work/station90.report"
(cd "$data" && "$tool" leap92 leap96) >"$work/leap.report"
diff "$data/station90.report" "$work/station90.report"
diff "$data/leap.report" "$work/leap.report"
mkdir "$work/d.v2" && cp "$data/leap96.jul" "$data/leap96.gap" "$work/d.v2/"
"$tool" --tsv "$data/leap92.jul" "$data/leap92.gap" "$work/d.v2/leap96.gap" "$examples/station90" |
    sed "s|	$data	|	DATA	|; s|	$work/d.v2	|	D.V2	|; s|	$examples	|	EXAMPLES	|" |
    diff "$data/coverage.tsv" -
# The tool's summary of the same runs gives the same numbers.
cp "$data/leap92.all.tmp" "$data/leap96.all.tmp" "$work/"
"$vantrel" -n 1 -s "$work/sum.tsv" "$work/leap92.all.tmp" "$work/leap96.all.tmp"
sed -n 2,3p "$data/coverage.tsv" | cut -f 1-20 >"$work/stored"
awk -F '\t' -v OFS='\t' 'NR > 1 { print $2, $11, $9, $10, $12, $13, $14, $15, $16, $17, $18, $19,
    $20, $21, $22, $23, $24, $25, $26, $27 }' "$work/sum.tsv" | diff - "$work/stored"
sed 's/^\([0-9]* [0-9]*\) 96 /\1 2024 /' "$data/leap96.all.tmp" >"$work/leap24.all.tmp"
"$vantrel" -n 1 -c gregorian "$work/leap24.all.tmp"
(cd "$work" && "$tool" leap24) >"$work/leap24.report"
sed -n '/^leap96/,$p' "$data/leap.report" | sed 's/leap96/leap24/; s/1996/2024/g' | diff - "$work/leap24.report"
for args in '' '--bogus x' '--tsv'; do
    if "$tool" $args 2>/dev/null; then echo "usage $args accepted"; exit 1; else [ $? = 2 ]; fi
done
cd "$work"
: >empty.jul; cp "$data/leap96.gap" empty.gap
cp "$data/leap96.jul" cut.jul; head -n 5 "$data/leap96.gap" >cut.gap
cp "$data/leap96.jul" step.jul; sed '2s/0$/1/' "$data/leap96.gap" >step.gap
cp "$data/leap96.jul" rise.jul; { head -n 5 "$data/leap96.gap"; printf ' 365.0 0\n 365.0 1\n'; } >rise.gap
mkdir dir.jul && cp "$data/leap96.gap" dir.gap
while read -r bad status records why; do
    [ "$records" != - ] || records=
    if "$tool" --tsv "${bad%.*}" "$data/leap96" >rows 2>err; then echo "$bad accepted"; exit 1; fi
    grep -q "^vantrel-coverage-report: $bad: $why" err || { cat err; exit 1; }
    [ "$(cut -f1,8,22,23 rows | tr '\t\n' ' |')" = "stem year_pct status records|${bad%.*}  $status $records|leap96 4.12 listed 365|" ] ||
        { echo "$bad: rows $(cat rows)"; exit 1; }
done <<'ROWS'
empty.jul empty 0 no records
cut.gap cut 365 line 5: the trace ends at
step.gap broken 365 line 2: not a step line
missing.jul missing - not found
dir.jul unreadable - is a folder
rise.gap cut 365 line 7: the trace ends on a rise
ROWS
