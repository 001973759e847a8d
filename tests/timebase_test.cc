#include "records/timebase.h"

#include <gtest/gtest.h>

#include <bit>

#include "tests/support.h"

namespace {

// Each time is given by a short decimal that names its float; the checks
// compare bits, since one operation out of order changes the last one.
TEST(Timebase, DayOfYearAndEpochDay) {
  constexpr std::int32_t kMin = -2147483647 - 1, kMax = 2147483647;
  struct Case {
    std::int32_t month, day, year, hour, min;
    float x, bigx;
  };
  const Case cases[] = {
      {1, 1, 90, 0, 0, 0.0f, 365.0f},
      {5, 12, 90, 8, 30, 131.35416f, 496.35416f},
      {12, 31, 90, 23, 59, 364.99933f, 729.9993f},
      {2, 29, 92, 12, 0, 59.5f, 1154.5f},
      {3, 1, 92, 0, 0, 60.0f, 1155.0f},
      {1, 1, 93, 0, 0, 0.0f, 1461.0f},
      {12, 31, 96, 23, 59, 365.99933f, 2921.9993f},
      {3, 1, 96, 0, 0, 60.0f, 2616.0f},
      {1, 1, 97, 0, 0, 0.0f, 2922.0f},
      {7, 4, 99, 6, 45, 184.28125f, 3836.28125f},
      {1, 1, 90, 1, 0, 0.041666668f, 365.04166f},
      {2, 29, 90, 0, 0, 59.0f, 424.0f},  // no leap day: 1 March's times
      {1, 0, 89, 0, 0, -1.0f, -1.0f},
      {10, 1, 91, 0, 0, 273.0f, 1003.0f},
      {11, 30, 91, 0, 0, 333.0f, 1063.0f},
      // The 32-bit ends: the integer steps wrap as two's complement does.
      {1, kMax, 90, 0, 0, 2147483648.0f, 2147483904.0f},
      {3, kMin, 96, 0, 0, -2147483648.0f, -2147481088.0f},
      {12, 31, kMin, kMax, kMax, 90970160.0f, 2238421248.0f},
      {1, 1, kMax, kMin, kMin, -90969800.0f, 2056480896.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.month << " " << c.day << " " << c.year << " " << c.hour << " " << c.min);
    const records::Times t =
        records::compute_times(support::record(c.month, c.day, c.year, c.hour, c.min));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(t.x), std::bit_cast<std::uint32_t>(c.x));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(t.bigx), std::bit_cast<std::uint32_t>(c.bigx));
  }
}

// Every hour of one day to the last bit, at a minute where a nearly equal
// sequence of float operations (the minute of the day over 1440, or the
// hour's and the minute's fractions added in another order) differs for
// some hours: 2 January 1990 at h:37, as the stored listings and traces have it.
TEST(Timebase, EveryHourToTheLastBit) {
  const float want[24][2] = {
      {1.0256945f, 366.0257f}, {1.0673611f, 366.06735f}, {1.1090279f, 366.10904f},
      {1.1506945f, 366.1507f}, {1.1923611f, 366.19235f}, {1.2340279f, 366.23404f},
      {1.2756945f, 366.2757f}, {1.3173611f, 366.31735f}, {1.3590279f, 366.35904f},
      {1.4006945f, 366.4007f}, {1.4423611f, 366.44235f}, {1.4840279f, 366.48404f},
      {1.5256945f, 366.5257f}, {1.5673612f, 366.56735f}, {1.6090277f, 366.60904f},
      {1.6506945f, 366.6507f}, {1.6923612f, 366.69235f}, {1.7340277f, 366.73404f},
      {1.7756945f, 366.7757f}, {1.8173612f, 366.81735f}, {1.8590277f, 366.85904f},
      {1.9006945f, 366.9007f}, {1.9423612f, 366.94235f}, {1.9840277f, 366.98404f},
  };
  for (int h = 0; h < 24; ++h) {
    const records::Times t = records::compute_times(support::record(1, 2, 90, h, 37));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(t.x), std::bit_cast<std::uint32_t>(want[h][0])) << h;
    EXPECT_EQ(std::bit_cast<std::uint32_t>(t.bigx), std::bit_cast<std::uint32_t>(want[h][1])) << h;
  }
}

}  // namespace
