// The coverage trace: a step line over the day-of-year axis, at 1 where the
// records follow each other with no break of more than 0.042 day and at 0
// before the first record, across every longer break and after the last one
// unless the records reach the end of the year. Points are made only where
// the line changes.
#pragma once

#include <cstdint>

namespace records {

// One point of the step line.
struct TracePoint {
  float time;          // day-of-year time
  std::int32_t state;  // 1 where the year has data, 0 where it has none
};

// Longest break between records that still counts as covered, in days (about 60.5 minutes).
extern const float kBreakDays;
// Last record time that still leaves the end of the year uncovered (23:16.8 on 31 December).
extern const float kYearEndThreshold;
// The end of the year on the trace's axis, in leap years too.
constexpr float kYearEnd = 365.0f;

// The trace of one run: the points its records add, and what it keeps of
// them from one record to the next.
class Trace {
 public:
  // The points a record at x adds after those traced before it; fills out
  // and returns 0, 1, 3 or 4. The record is then the last one traced.
  int record(float x, TracePoint out[4]);
  // The closing points at the end of the data file; fills out and returns 1 or 3.
  int close(TracePoint out[3]) const;
  // Day-of-year time of the last record traced; 0.0 before the first.
  float xold() const { return xold_; }

 private:
  std::int32_t gap_ = 1;  // 1 until the first record is traced
  float xold_ = 0.0f;
};

}  // namespace records
