// The time base: where a record lies in its year and since 1 January 1989,
// computed in single precision exactly as the stored listings were.
#pragma once

#include <cstdint>

#include "records/observation.h"

namespace records {

// The two times of a record, in days.
struct Times {
  float x;     // day-of-year time: 0.0 at midnight starting 1 January of the record's year
  float bigx;  // epoch-day time: 0.0 at midnight starting 1 January 1989
};

// True when month can place a record in the year (1 to 12).
inline bool month_in_year(std::int32_t month) {
  return month >= 1 && month <= 12;
}

// True when the time base gives year a 29 February: the two-digit years
// know only 1992 and 1996 as leap years.
inline bool leap_year(std::int32_t year) {
  return year == 92 || year == 96;
}

// True when year is one of the two-digit years the calendar is for, 89 to
// 99 (1989 to 1999); any other is still placed, by the same rules.
inline bool known_year(std::int32_t year) {
  return year >= 89 && year <= 99;
}

// The times of a record whose month is in the year.
Times compute_times(const Observation& obs);

// True when a record at day-of-year time x may not follow one at xold (equal times pass).
inline bool out_of_order(float x, float xold) {
  return x < xold;
}

}  // namespace records
