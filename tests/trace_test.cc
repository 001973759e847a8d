#include "records/trace.h"

#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "records/timebase.h"

namespace {

using Points = std::vector<std::pair<float, int>>;

// The trace of records at the given times, with the closing when closed.
Points trace_of(const std::vector<float>& times, bool closed = true) {
  Points out;
  records::TracePoint p[4];
  std::int32_t gap = 1;
  float xold = 0.0f, x = 0.0f;
  for (float t : times) {
    x = t;
    int n = records::trace_record(gap, x, xold, p);
    for (int k = 0; k < n; ++k) out.emplace_back(p[k].time, p[k].state);
    xold = x;
  }
  if (closed) {
    int n = records::trace_close(x, xold, p);
    for (int k = 0; k < n; ++k) out.emplace_back(p[k].time, p[k].state);
  }
  return out;
}

TEST(Trace, ConstantsAreTheStoredOnes) {
  EXPECT_EQ(std::bit_cast<std::uint32_t>(records::kBreakDays), 0x3D2C0831u);
  EXPECT_EQ(records::kBreakDays, 0.042f);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(records::kYearEndThreshold), 0x43B67C29u);
  EXPECT_EQ(records::kYearEndThreshold, 364.97f);
}

TEST(Trace, BreaksAndClosing) {
  std::vector<float> times;
  for (int h = 0; h <= 24; ++h) times.push_back(10.0f + static_cast<float>(h) / 24.0f);
  times.back() = 11.0f;
  for (int h = 0; h <= 88 * 24; ++h) times.push_back(12.0f + static_cast<float>(h) / 24.0f);
  times.back() = 100.0f;
  EXPECT_EQ(trace_of(times), (Points{{0.0f, 0},
                                     {10.0f, 0},
                                     {10.0f, 1},
                                     {11.0f, 1},
                                     {11.0f, 0},
                                     {12.0f, 0},
                                     {12.0f, 1},
                                     {100.0f, 1},
                                     {100.0f, 0},
                                     {365.0f, 0}}));
}

TEST(Trace, EdgesOfTheYear) {
  EXPECT_EQ(trace_of({0.0f}, false), (Points{{0.0f, 1}}));
  EXPECT_EQ(trace_of({}), (Points{{0.0f, 1}, {0.0f, 0}, {365.0f, 0}}));
  const float at_2317 = 364.0f + 23.0f / 24.0f + 17.0f / 1440.0f;
  const float at_2316 = 364.0f + 23.0f / 24.0f + 16.0f / 1440.0f;
  EXPECT_EQ(trace_of({0.0f, 200.0f, at_2317}).back(), std::make_pair(365.0f, 1));
  EXPECT_EQ(trace_of({0.0f, at_2316}).back(), std::make_pair(365.0f, 0));
  EXPECT_EQ(trace_of({-1.0f}, false), (Points{{0.0f, 0}, {-1.0f, 0}, {-1.0f, 1}}));
}

// Whether the year counts as covered to its end, from real dates through the
// time base: 23:17 on the last day and later does, 23:16 does not; in 92 and
// 96 the last day is 31 December but the threshold is met on 30 December.
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
    SCOPED_TRACE(testing::Message()
                 << c.month << "/" << c.day << "/" << c.year << " " << c.hour << ":" << c.min);
    records::Observation o;
    o.month = c.month;
    o.day = c.day;
    o.year = c.year;
    o.hour = c.hour;
    o.min = c.min;
    const float x = records::compute_times(o).x;
    Points p = trace_of({x - 0.5f, x});
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.back(), std::make_pair(365.0f, c.last_state));
  }
}

TEST(Trace, SixtyMinutesIsCoveredAndSixtyOneIsABreak) {
  const float hour = 0.0f + 1.0f / 24.0f;
  const float hour_and_a_minute = hour + 1.0f / 1440.0f;
  EXPECT_EQ(trace_of({0.0f, hour}, false).size(), 1u);
  EXPECT_EQ(trace_of({0.0f, hour_and_a_minute}, false).size(), 5u);
  // A record before the one above it adds nothing.
  EXPECT_EQ(trace_of({5.0f, 4.0f}, false).size(), 3u);
}

}  // namespace
