// The two calendars the time base knows. The classic one is the tool's own,
// kept as the stored listings were made: two-digit years are 19YY and only
// 92 and 96 are leap years, right for 1989 to 1999. The gregorian one is
// right for every year from 1900 to 2099, and agrees with the classic one,
// bit for bit, wherever that one is right.
#pragma once

#include <cstdint>
#include <string_view>

namespace records {

enum class Calendar : std::uint8_t { classic, gregorian };

// The first and last years the gregorian calendar takes.
constexpr int kFirstYear = 1900;
constexpr int kLastYear = 2099;

// True when the full year y has a 29 February in the Gregorian calendar.
constexpr bool gregorian_leap(int y) {
  return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0);
}

// The full year of a record's year field under the gregorian calendar: four
// digits from 1900 to 2099 as written, two digits 89 to 99 as 1989 to 1999
// and 00 to 88 as 2000 to 2088; 0 for any other.
constexpr int gregorian_year(std::int32_t year) {
  if (year >= kFirstYear && year <= kLastYear) return year;
  if (year >= 0 && year <= 99) return year + (year >= 89 ? 1900 : 2000);
  return 0;
}

// The leap days between 1 January 1989 and 1 January of the full year y:
// those of 1989 to y - 1, or less those of y to 1988 before the epoch.
constexpr int leap_days_since_epoch(int y) {
  const auto before = [](int z) { return (z - 1) / 4 - (z - 1) / 100 + (z - 1) / 400; };
  return before(y) - before(1989);
}

// The calendar named name ("classic" or "gregorian"); false for another name.
bool calendar_named(std::string_view name, Calendar& cal);

}  // namespace records
