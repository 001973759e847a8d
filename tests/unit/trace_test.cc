#include "records/trace.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "records/timebase.h"
#include "tests/support.h"

namespace {

// The trace of records at the given times, with its closing when closed,
// as "time state" points parted by commas.
std::string trace_of(const std::vector<float>& times, bool closed) {
  std::ostringstream out;  // times as %g shows them
  records::TracePoint p[4];
  auto put = [&](int n) {
    for (int k = 0; k < n; ++k)
      out << (out.tellp() > 0 ? ", " : "") << p[k].time << ' ' << p[k].state;
  };
  std::int32_t gap = 1;
  float xold = 0.0f;
  for (float t : times) {
    put(records::trace_record(gap, t, xold, p));
    xold = t;
  }
  if (closed) put(records::trace_close(xold, xold, p));
  return out.str();
}

float at(int month, int day, int year, int hour, int min) {
  return records::compute_times(support::record(month, day, year, hour, min)).x;
}

TEST(Trace, StepLine) {
  struct Case {
    std::vector<float> times;
    bool closed;
    const char* want;
  };
  const Case cases[] = {
      {{10, 10.04f, 10.08f, 12, 12.04f},
       true,
       "0 0, 10 0, 10 1, 10.08 1, 10.08 0, 12 0, 12 1, 12.04 1, 12.04 0, 365 0"},
      {{}, true, "0 1, 0 0, 365 0"},
      {{0}, false, "0 1"},
      {{-1}, false, "0 0, -1 0, -1 1"},
      {{5, 4}, false, "0 0, 5 0, 5 1"},  // a record before the one above it adds nothing
      // Sixty minutes apart is covered (in floats a little over 1/24 day), sixty-one a break.
      {{at(1, 1, 90, 3, 0), at(1, 1, 90, 4, 0)}, false, "0 0, 0.125 0, 0.125 1"},
      {{0, at(1, 1, 90, 1, 1)}, false, "0 1, 0 1, 0 0, 0.0423611 0, 0.0423611 1"},
      {{0, 200, at(12, 31, 90, 23, 17)},
       true,
       "0 1, 0 1, 0 0, 200 0, 200 1, 200 1, 200 0, 364.97 0, 364.97 1, 365 1"},
      // The year is covered to its end from 23:17 on its last day, not from
      // 23:16; in 92 and 96, whose last day is 31 December, from 30 December.
      {{at(12, 31, 90, 23, 16)}, true, "0 0, 364.969 0, 364.969 1, 364.969 1, 364.969 0, 365 0"},
      {{at(12, 30, 92, 23, 17)}, true, "0 0, 364.97 0, 364.97 1, 365 1"},
      {{at(12, 30, 96, 23, 16)}, true, "0 0, 364.969 0, 364.969 1, 364.969 1, 364.969 0, 365 0"},
      {{at(12, 31, 92, 0, 0)}, true, "0 0, 365 0, 365 1, 365 1"},
  };
  for (const Case& c : cases) EXPECT_EQ(trace_of(c.times, c.closed), c.want);
}

}  // namespace
