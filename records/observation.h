// The observation record: the date, time and values of one line of the data file.
#pragma once

#include <cstdint>

#include "textio/value.h"

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
  textio::Value val[kMaxValues] = {};  // the first nval are read and written
};

}  // namespace records
