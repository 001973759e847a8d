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

// The points a record at day-of-year time x adds after the last one traced,
// at xold (0.0 before the first), with gap the first-record flag (1 until
// the first record is traced, then 0, which this sets); fills out and
// returns 0, 1, 3 or 4.
int trace_record(std::int32_t& gap, float x, float xold, TracePoint out[4]);

// The closing points at the end of the data file, x and xold both the last
// record's time (0.0 when there was none); fills out and returns 1 or 3.
int trace_close(float x, float xold, TracePoint out[3]);

}  // namespace records
