#include "records/trace.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "records/timebase.h"
#include "tests/support.h"

namespace {

using Points = std::vector<std::pair<float, int>>;

// The trace of records at the given times, with its closing when closed.
Points trace_of(const std::vector<float>& times, bool closed) {
  Points out;
  records::TracePoint p[4];
  std::int32_t gap = 1;
  float xold = 0.0f, x = 0.0f;
  for (float t : times) {
    x = t;
    const int n = records::trace_record(gap, x, xold, p);
    for (int k = 0; k < n; ++k) out.emplace_back(p[k].time, p[k].state);
    xold = x;
  }
  const int n = closed ? records::trace_close(x, xold, p) : 0;
  for (int k = 0; k < n; ++k) out.emplace_back(p[k].time, p[k].state);
  return out;
}

// Hourly records from day `from` to day `to`.
std::vector<float> hourly(int from, int to, std::vector<float> before = {}) {
  for (int h = 0; h < (to - from) * 24; ++h) before.push_back(from + static_cast<float>(h) / 24);
  before.push_back(static_cast<float>(to));
  return before;
}

float at(int month, int day, int year, int hour, int min) {
  return records::compute_times(support::record(month, day, year, hour, min)).x;
}

TEST(Trace, StepLine) {
  struct Case {
    std::vector<float> times;
    bool closed;
    Points want;
  };
  const Case cases[] = {
      {hourly(12, 100, hourly(10, 11)),
       true,
       {{0, 0},
        {10, 0},
        {10, 1},
        {11, 1},
        {11, 0},
        {12, 0},
        {12, 1},
        {100, 1},
        {100, 0},
        {365, 0}}},
      {{}, true, {{0, 1}, {0, 0}, {365, 0}}},
      {{0}, false, {{0, 1}}},
      {{-1}, false, {{0, 0}, {-1, 0}, {-1, 1}}},
      {{5, 4}, false, {{0, 0}, {5, 0}, {5, 1}}},  // a record before the one above it adds nothing
      // Sixty minutes apart is covered, sixty-one a break.
      {{0, at(1, 1, 90, 1, 0)}, false, {{0, 1}}},
      {{0, at(1, 1, 90, 1, 1)},
       false,
       {{0, 1}, {0, 1}, {0, 0}, {at(1, 1, 90, 1, 1), 0}, {at(1, 1, 90, 1, 1), 1}}},
      {{0, 200, at(12, 31, 90, 23, 17)},
       true,
       {{0, 1},
        {0, 1},
        {0, 0},
        {200, 0},
        {200, 1},
        {200, 1},
        {200, 0},
        {at(12, 31, 90, 23, 17), 0},
        {at(12, 31, 90, 23, 17), 1},
        {365, 1}}},
  };
  for (const Case& c : cases) EXPECT_EQ(trace_of(c.times, c.closed), c.want);
}

// Whether the year counts as covered to its end, from real dates: 23:17 on
// its last day and later does, 23:16 does not; in 92 and 96 the last day is
// 31 December, but the threshold is met on 30 December.
TEST(Trace, YearEndsOfRealDates) {
  struct Case {
    int month, day, year, hour, min;
    int last_state;
  };
  const Case cases[] = {
      {12, 31, 90, 23, 17, 1}, {12, 31, 90, 23, 16, 0}, {12, 31, 90, 23, 59, 1},
      {12, 30, 90, 23, 59, 0}, {12, 30, 92, 23, 17, 1}, {12, 30, 92, 23, 16, 0},
      {12, 30, 96, 23, 17, 1}, {12, 30, 96, 23, 16, 0}, {12, 31, 92, 0, 0, 1},
      {12, 31, 95, 23, 17, 1}, {1, 1, 91, 0, 0, 0},
  };
  for (const Case& c : cases) {
    const float x = at(c.month, c.day, c.year, c.hour, c.min);
    const Points p = trace_of({x - 0.5f, x}, true);
    EXPECT_EQ(p.back(), std::make_pair(365.0f, c.last_state))
        << c.month << "/" << c.day << "/" << c.year << " " << c.hour << ":" << c.min;
  }
}

}  // namespace
