// The observation record: the date, time and values of one line of the data file.
#pragma once

#include <cstdint>

namespace records {

// Most values a record can carry: ten on the listing's first line, two on its second.
constexpr int kMaxValues = 12;

// One record of the data file as read.
struct Observation {
  std::int32_t month = 0;  // 1 to 12
  std::int32_t day = 0;    // day of the month
  std::int32_t year = 0;   // two digits: 89 stands for 1989
  std::int32_t hour = 0;
  std::int32_t min = 0;
  float val[kMaxValues] = {};  // the first nval are read and written
  // Where not 0, value i as the data file gave it in cents form ("-25.69":
  // an optional minus, digits with no leading zero but a lone one, a point
  // and two digits, at most eight characters), right-justified in eight
  // bytes after NULs, byte i of the eight in bits 8i to 8i + 7. It stands
  // for val[i], which then holds a NaN.
  std::uint64_t val_text[kMaxValues] = {};
};

}  // namespace records
