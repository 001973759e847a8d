# The listing's layout for the scripts that read a listing (plot-coverage):
# the one place it is written outside records/listing.h, whose columns
# these are, counted from 1 as awk's substr counts. Read with awk -f before
# the script's own program.

# True for a record's line, which has "-" in columns 20 and 23 and ":" in
# 31; the line of a record's 11th and 12th values has none of them.
function listing_record(line) {
    return substr(line, 20, 1) == "-" && substr(line, 23, 1) == "-" && substr(line, 31, 1) == ":"
}

# A record line's day-of-year time, columns 1 to 7.
function listing_time(line) { return substr(line, 1, 7) }

# A record line's year, four digits in columns 24 to 27 ("19" and the
# classic calendar's two digits, or the gregorian calendar's four).
function listing_year(line) { return substr(line, 24, 4) }

# Value v of a record: 1 to 10 on its own line, nine columns each from
# column 34; 11 and 12 on the line after it, in columns 1 to 7 and 8 to 16.
function listing_value(line, v) {
    if (v <= 10) return substr(line, 34 + 9 * (v - 1), 9)
    return v == 11 ? substr(line, 1, 7) : substr(line, 8, 9)
}

# Two records farther apart than the trace's break, 0.042 day, as the
# listing's three decimals show their times: the break and half of the
# last decimal, so that hourly records, 0.042 apart as listed, stay joined.
function listing_break() { return 0.0425 }
