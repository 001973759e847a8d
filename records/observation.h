// The observation record: the date, time and values of one line of the data file.
#pragma once

#include <cstdint>
#include <optional>

#include "textio/value.h"

namespace records {

// Most values a record can carry: ten on the listing's first line, two on its second.
constexpr int kMaxValues = 12;

// The date and time parts that come before a record's values: month, day,
// year, hour and minute.
constexpr int kDateParts = 5;

// How many values a record holds after its date and time parts: 0 to
// kMaxValues, or a count still to be taken from the data file.
class ValueCount {
 public:
  // A count to be taken from the data file's first record line.
  static constexpr ValueCount counted() { return ValueCount(-1); }
  // n values, where n is 0 to kMaxValues; none for any other n.
  static constexpr std::optional<ValueCount> of(std::int64_t n) {
    if (n < 0 || n > kMaxValues) return std::nullopt;
    return ValueCount(static_cast<std::int32_t>(n));
  }
  // True for a count still to be taken.
  constexpr bool is_counted() const { return n_ < 0; }
  // The values, 0 to kMaxValues, for a count that is not still to be taken.
  constexpr std::int32_t values() const { return n_; }
  constexpr bool operator==(const ValueCount&) const = default;

 private:
  constexpr explicit ValueCount(std::int32_t n) : n_(n) {}
  std::int32_t n_;
};

// One record of the data file as read.
struct Observation {
  std::int32_t month = 0;  // 1 to 12
  std::int32_t day = 0;    // day of the month
  std::int32_t year = 0;   // two digits: 89 stands for 1989
  std::int32_t hour = 0;
  std::int32_t min = 0;
  textio::Value val[kMaxValues] = {};  // the first nval are read and written
};

}  // namespace records
