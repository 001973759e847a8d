// The time base: where a record lies in its year and since 1 January 1989,
// computed in single precision exactly as the stored listings were.
#pragma once

#include <cstdint>

#include "records/calendar.h"
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

// The times of a record whose month is in the year, by the classic calendar.
Times compute_times(const Observation& obs);

// A full year as the gregorian time base needs it, worked out once for the
// records of a year rather than for each.
struct GregorianYear {
  int year = 0;             // 1900 to 2099
  bool leap = false;        // it has a 29 February
  float days = 0.0f;        // (year - 1989) * 365, in single precision
  int leap_days = 0;        // leap days since the epoch, negative before it
  std::int32_t field = -1;  // the record's year field it was worked out for
};

// The year of a record's year field under the gregorian calendar, the
// field's year 0 where the calendar takes no such year.
GregorianYear gregorian(std::int32_t field);

// The times of a record whose month is in the year, of the full year y, by
// the gregorian calendar: each step is the classic one's, the leap day
// counted from 1 March in every leap year, and the epoch-day time given one
// single-precision addition of 1.0 for each leap day since the epoch (a
// subtraction for each before it).
Times compute_times(const Observation& obs, const GregorianYear& y);

// True when a record at day-of-year time x may not follow one at xold (equal times pass).
inline bool out_of_order(float x, float xold) {
  return x < xold;
}

}  // namespace records
