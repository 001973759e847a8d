#include "records/timebase.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

namespace {

records::Observation at(int month, int day, int year, int hour, int min) {
  records::Observation o;
  o.month = month;
  o.day = day;
  o.year = year;
  o.hour = hour;
  o.min = min;
  return o;
}

TEST(Timebase, DayOfYearAndEpochDay) {
  struct Case {
    int month, day, year, hour, min;
    float x, bigx;
  };
  const Case cases[] = {
      {1, 1, 89, 0, 0, 0.0f, 0.0f},
      {1, 1, 90, 0, 0, 0.0f, 365.0f},
      {5, 12, 90, 8, 30, 131.35416f, 496.35416f},
      {12, 31, 90, 23, 59, 364.99933f, 729.9993f},
      {2, 29, 92, 12, 0, 59.5f, 1154.5f},
      {3, 1, 92, 0, 0, 60.0f, 1155.0f},
      {1, 1, 93, 0, 0, 0.0f, 1461.0f},
      {12, 31, 96, 23, 59, 365.99933f, 2921.9993f},
      {1, 1, 97, 0, 0, 0.0f, 2922.0f},
      {7, 4, 99, 6, 45, 184.28125f, 3836.28125f},
      {1, 1, 90, 1, 0, 0.041666668f, 365.04166f},
      {2, 29, 90, 0, 0, 59.0f, 424.0f},  // no leap day: same as 1 March
      {3, 1, 90, 0, 0, 59.0f, 424.0f},
      {1, 0, 89, 0, 0, -1.0f, -1.0f},
      {1, 1, 89, -1, 0, -0.041666668f, -0.041666668f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << c.month << " " << c.day << " " << c.year << " " << c.hour << " " << c.min);
    records::Times t = records::compute_times(at(c.month, c.day, c.year, c.hour, c.min));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(t.x), std::bit_cast<std::uint32_t>(c.x));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(t.bigx), std::bit_cast<std::uint32_t>(c.bigx));
  }
}

// Each step is one float operation in a fixed order; an independent
// recomputation with volatile temporaries (which the compiler cannot fuse or
// reorder) must agree bit for bit over many records.
TEST(Timebase, EveryMinuteOfEveryYear) {
  static const int monthl[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  for (int year = 88; year <= 100; ++year) {
    for (int month = 1; month <= 12; ++month) {
      for (int day = 0; day <= 32; day += (year % 3 == 0 ? 1 : 7)) {
        for (int hour = 0; hour <= 24; ++hour) {
          for (int min = 0; min < 60; min += 1) {
            volatile float t1 = static_cast<float>(day - 1 + monthl[month - 1]);
            volatile float t2 = static_cast<float>(hour) / 24.0f;
            volatile float t3 = t1 + t2;
            volatile float t4 = static_cast<float>(min) / 1440.0f;
            volatile float x = t3 + t4;
            if ((year == 92 || year == 96) && month >= 3) x = x + 1.0f;
            volatile float bigx = x + static_cast<float>((year - 89) * 365);
            if (year > 92) bigx = bigx + 1.0f;
            if (year > 96) bigx = bigx + 1.0f;
            records::Times t = records::compute_times(at(month, day, year, hour, min));
            ASSERT_EQ(std::bit_cast<std::uint32_t>(t.x), std::bit_cast<std::uint32_t>(float{x}));
            ASSERT_EQ(std::bit_cast<std::uint32_t>(t.bigx),
                      std::bit_cast<std::uint32_t>(float{bigx}));
          }
        }
      }
    }
  }
}

// Fields at the ends of 32 bits: the integer steps wrap as 32-bit two's
// complement arithmetic does (worked here in unsigned arithmetic, where
// wrapping is defined), the real steps follow in order.
TEST(Timebase, ExtremeFieldsWrapWithoutUndefinedBehaviour) {
  static const std::uint32_t monthl[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  const std::int32_t kMin = -2147483647 - 1;
  const std::int32_t kMax = 2147483647;
  const std::int32_t ends[] = {kMin, kMin + 1, -1, 0, 1, 89, 92, 96, kMax - 1, kMax};
  for (int month : {1, 3, 12}) {
    for (std::int32_t day : ends) {
      for (std::int32_t year : ends) {
        for (std::int32_t hm : ends) {
          const auto wrap = [](std::uint32_t u) { return static_cast<std::int32_t>(u); };
          const std::int32_t days = wrap(static_cast<std::uint32_t>(day) - 1u + monthl[month - 1]);
          float x = static_cast<float>(days) + static_cast<float>(hm) / 24.0f;
          x = x + static_cast<float>(hm) / 1440.0f;
          if ((year == 92 || year == 96) && month >= 3) x = x + 1.0f;
          const std::int32_t years = wrap((static_cast<std::uint32_t>(year) - 89u) * 365u);
          float bigx = x + static_cast<float>(years);
          if (year > 92) bigx = bigx + 1.0f;
          if (year > 96) bigx = bigx + 1.0f;
          records::Times t = records::compute_times(at(month, day, year, hm, hm));
          ASSERT_EQ(std::bit_cast<std::uint32_t>(t.x), std::bit_cast<std::uint32_t>(x))
              << month << " " << day << " " << year << " " << hm;
          ASSERT_EQ(std::bit_cast<std::uint32_t>(t.bigx), std::bit_cast<std::uint32_t>(bigx))
              << month << " " << day << " " << year << " " << hm;
        }
      }
    }
  }
}

TEST(Timebase, EqualTimesAreInOrder) {
  EXPECT_FALSE(records::out_of_order(5.0f, 5.0f));
  EXPECT_TRUE(records::out_of_order(-1.0f, 0.0f));
  EXPECT_FALSE(records::out_of_order(0.0f, 0.0f));
}

}  // namespace
