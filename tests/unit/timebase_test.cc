#include "records/timebase.h"

#include <gtest/gtest.h>

#include <bit>
#include <chrono>

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

std::uint32_t bits(float v) {
  return std::bit_cast<std::uint32_t>(v);
}

// The gregorian calendar at the edges of its years, in both forms: a year
// it takes none of has year 0; the others' times to the last bit.
TEST(Timebase, GregorianYears) {
  struct Case {
    std::int32_t month, day, year, hour, min;
    int full;
    float x, bigx;
  };
  const Case cases[] = {
      {1, 1, 1900, 0, 0, 1900, 0.0f, -32507.0f},
      {3, 1, 1900, 0, 0, 1900, 59.0f, -32448.0f},  // 1900 has no 29 February
      {12, 31, 1999, 23, 59, 1999, 364.99933f, 4016.9993f},
      {1, 1, 2000, 0, 0, 2000, 0.0f, 4017.0f},
      {2, 29, 2000, 12, 0, 2000, 59.5f, 4076.5f},
      {3, 1, 0, 0, 0, 2000, 60.0f, 4077.0f},
      {12, 31, 88, 23, 59, 2088, 365.99933f, 36525.0f},
      {1, 1, 89, 0, 0, 1989, 0.0f, 0.0f},
      {7, 4, 99, 6, 45, 1999, 184.28125f, 3836.28125f},
      {12, 31, 2099, 23, 59, 2099, 364.99933f, 40542.0f},
      {1, 1, 1988, 0, 0, 1988, 0.0f, -366.0f},
      {6, 1, 100, 0, 0, 0, 0.0f, 0.0f},
      {6, 1, 1899, 0, 0, 0, 0.0f, 0.0f},
      {6, 1, 2100, 0, 0, 0, 0.0f, 0.0f},
      {6, 1, -1, 0, 0, 0, 0.0f, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.month << " " << c.day << " " << c.year);
    const records::GregorianYear y = records::gregorian(c.year);
    EXPECT_EQ(y.year, c.full);
    if (y.year == 0) continue;
    const records::Times t =
        records::compute_times(support::record(c.month, c.day, c.year, c.hour, c.min), y);
    EXPECT_EQ(bits(t.x), bits(c.x));
    EXPECT_EQ(bits(t.bigx), bits(c.bigx));
  }
}

// Every day from 1900 to 2099 at midnight, against the C++ library's own
// calendar: the day of the year and the days since 1 January 1989.
TEST(Timebase, GregorianDaysAgainstTheLibrary) {
  using namespace std::chrono;
  const sys_days epoch = 1989y / January / 1;
  for (sys_days d = 1900y / January / 1; d <= 2099y / December / 31; d += days{1}) {
    const year_month_day ymd(d);
    const int y = static_cast<int>(ymd.year());
    const records::Times t = records::compute_times(
        support::record(static_cast<int>(static_cast<unsigned>(ymd.month())),
                        static_cast<int>(static_cast<unsigned>(ymd.day())), y, 0, 0),
        records::gregorian(y));
    ASSERT_EQ(t.x, static_cast<float>((d - sys_days(ymd.year() / January / 1)).count()))
        << static_cast<int>(ymd.year()) << " " << t.x;
    ASSERT_EQ(t.bigx, static_cast<float>((d - epoch).count())) << y;
  }
}

// The two calendars agree to the last bit on 1989 to 1999, here on a
// minute in every 997 (every minute: the proof).
TEST(Timebase, CalendarsAgreeOnTheClassicYears) {
  int minute = 0;
  for (int yy = 89; yy <= 99; ++yy) {
    const records::GregorianYear y = records::gregorian(yy);
    for (int m = 1; m <= 12; ++m) {
      for (int d = 1; d <= 31; ++d) {
        for (int t = minute % 997; t < 1440; t += 997) {
          const records::Observation o = support::record(m, d, yy, t / 60, t % 60);
          const records::Times a = records::compute_times(o), b = records::compute_times(o, y);
          ASSERT_EQ(bits(a.x), bits(b.x)) << m << " " << d << " " << yy << " " << t;
          ASSERT_EQ(bits(a.bigx), bits(b.bigx)) << m << " " << d << " " << yy << " " << t;
        }
        minute += 7;
      }
    }
  }
}

}  // namespace
