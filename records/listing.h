// The listing: one fixed-column line per record (two when it has 11 or 12
// values) with its two times, its date and time written out, and its values.
// The layout below is the one description of the columns: every way of
// making a line is driven by it, and records/coverage.cc reads the
// listing's date by it. The one other place the columns are written is
// tools/listing.awk, for the scripts that read a listing (plot-coverage):
// a change here must be made there too.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/observation.h"
#include "records/timebase.h"

namespace records {

// One field of the layout.
struct Column {
  int first;     // its first character in the line, from 0
  int width;     // characters
  int decimals;  // of a real; 0 for an integer, written with at least kIntDigits digits
};

// x (F7.3) and bigx (F9.3); past the tenth value the layout starts again on
// a second line, so the 11th and 12th values take these two fields too.
inline constexpr Column kTimeColumns[2] = {{0, 7, 3}, {7, 9, 3}};
// month (I3.2), day, year (I2.2), hour (I3.2), min (I2.2).
inline constexpr Column kDateColumns[5] = {
    {16, 3, 0}, {20, 2, 0}, {25, 2, 0}, {27, 3, 0}, {31, 2, 0}};
// The first value (F9.2); the others follow it, up to ten on a line.
inline constexpr Column kFirstValue = {33, 9, 2};
constexpr int kValuesPerLine = 10;
// The fewest digits an integer field shows, zeros added on the left.
constexpr int kIntDigits = 2;

// The texts between the date and time fields. "-19" writes the century: the
// stored listings read so, and the two-digit years are all of the 1900s to
// the classic calendar. Kept as it is on purpose; the gregorian calendar
// writes its century's digits over the "19".
struct Literal {
  int first;
  const char* text;
};
inline constexpr Literal kLiterals[3] = {{19, "-"}, {22, "-19"}, {30, ":"}};

// Most characters the lines of one record take, line ends included.
constexpr std::size_t kMaxListingChars = kFirstValue.first + kValuesPerLine * kFirstValue.width +
                                         1 + kTimeColumns[0].width + kTimeColumns[1].width + 1;

// Writes the listing line(s) of obs, each ending in '\n', at out (room for
// kMaxListingChars), nval (0 to 12) values. Returns the length.
std::size_t format_listing(char* out, const Observation& obs, Times t, std::int32_t nval);
// The same, the date showing full_year (1900 to 2099, the gregorian
// calendar's) in four digits where "-19" and the year field stand ("-2024").
std::size_t format_listing(char* out, const Observation& obs, Times t, std::int32_t nval,
                           int full_year);

}  // namespace records
