// The listing: one fixed-column line per record (two when it has 11 or 12
// values) with its two times, its date and time written out, and its values.
//
//   columns  1-7   x       F7.3     day-of-year time
//            8-16  bigx    F9.3     epoch-day time
//           17-19  month   I3.2, then "-"
//           21-22  day     I2.2, then "-19"
//           26-27  year    I2.2
//           28-30  hour    I3.2, then ":"
//           32-33  min     I2.2
//           34-... val(1) to val(10), F9.2 each
// An 11th and 12th value start a second line, in an F7.3 and an F9.3 field.
#pragma once

#include <cstddef>
#include <cstdint>

#include "records/observation.h"
#include "records/timebase.h"

namespace records {

// Most characters the lines of one record take, line ends included.
constexpr std::size_t kMaxListingChars = 33 + 10 * 9 + 1 + 7 + 9 + 1;

// Writes the listing line(s) of obs, each ending in '\n', at out (room for
// kMaxListingChars); nval of 0 or less writes no values. Returns the length.
std::size_t format_listing(char* out, const Observation& obs, Times t, std::int32_t nval);

}  // namespace records
