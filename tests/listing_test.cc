#include "records/listing.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

std::string listing(records::Observation o, int nval) {
  char buf[records::kMaxListingChars];
  std::size_t n = records::format_listing(buf, o, records::compute_times(o), nval);
  return {buf, n};
}

records::Observation at(int month, int day, int year, int hour, int min) {
  records::Observation o;
  o.month = month;
  o.day = day;
  o.year = year;
  o.hour = hour;
  o.min = min;
  return o;
}

TEST(Listing, Lines) {
  records::Observation a = at(5, 12, 90, 8, 30);
  a.val[0] = 1.5f;
  a.val[1] = 2.5f;
  EXPECT_EQ(listing(a, 2), "131.354  496.354 05-12-1990 08:30     1.50     2.50\n");
  EXPECT_EQ(listing(at(1, 2, 89, 0, 0), 0), "  1.000    1.000 01-02-1989 00:00\n");
  EXPECT_EQ(listing(at(1, 2, 89, 0, 0), -5), "  1.000    1.000 01-02-1989 00:00\n");
  records::Observation b = at(12, 31, 90, 23, 59);
  b.val[0] = -3.25f;
  EXPECT_EQ(listing(b, 1), "364.999  729.999 12-31-1990 23:59    -3.25\n");
  records::Observation c = at(1, -1, 100, -1, 7);
  c.val[0] = 1234567.0f;
  EXPECT_EQ(listing(c, 1), " -2.037 4014.963 01-**-19**-01:07*********\n");
}

TEST(Listing, ElevenAndTwelveValuesTakeASecondLine) {
  records::Observation o = at(3, 1, 92, 0, 0);
  for (int i = 0; i < 10; ++i) o.val[i] = static_cast<float>(i + 1);
  o.val[10] = 11.5f;
  o.val[11] = 12.25f;
  std::string first =
      " 60.000 1155.000 03-01-1992 00:00     1.00     2.00     3.00     4.00     5.00     6.00"
      "     7.00     8.00     9.00    10.00\n";
  EXPECT_EQ(first.size(), 124u);
  EXPECT_EQ(listing(o, 12), first + " 11.500   12.250\n");
  EXPECT_EQ(listing(o, 11), first + " 11.500\n");
  EXPECT_EQ(listing(o, 10), first);
  EXPECT_EQ(listing(o, 9).size(), 33u + 81u + 1u);
}

// The all-at-once line against the field-by-field one, over records whose
// every field is drawn from the hard cases of its column (ties, the last
// value that fits and the first that does not, a minus sign with no room,
// signed zeros, NaNs, infinities, the ends of 32 bits) and from random
// ones, for every count of values, with the bytes past the line untouched.
TEST(Listing, WideLineMatchesFieldByField) {
  if (!records::wide_listing_supported()) GTEST_SKIP() << "no AVX-512 on this processor";
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float hard_reals[] = {
      0.0f,        -0.0f,      0.125f,     0.375f,      -0.125f,    0.0005f,    -0.0005f,
      0.005f,      999.9995f,  999.999f,   -99.9995f,   -99.999f,   9999.9995f, 99999.999f,
      -9999.999f,  999999.99f, -99999.99f, -99999.995f, -100000.0f, 1234567.0f, inf,
      -inf,        nan,        -nan,       1e-45f,      -1e-45f,    1e30f,      -1e30f,
      16777216.0f, 0.995f,     9.995f};
  const std::int32_t hard_ints[] = {0,  1,  9,   10,  99,   100,  999,       1000,
                                    -1, -9, -10, -99, -100, -999, INT32_MIN, INT32_MAX};
  std::mt19937 rng(1990);
  auto real = [&]() -> float {
    switch (rng() % 4) {
      case 0:
        return hard_reals[rng() % std::size(hard_reals)];
      case 1:
        return std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
      case 2:  // multiples of 1/2000: ties in every field
        return static_cast<float>(static_cast<int>(rng() % 400'000'000) - 200'000'000) / 2000.0f;
      default:
        return std::ldexp(static_cast<float>(rng() % (1u << 24)),
                          static_cast<int>(rng() % 40) - 30) *
               ((rng() & 1) ? -1.0f : 1.0f);
    }
  };
  auto integer = [&]() -> std::int32_t {
    switch (rng() % 3) {
      case 0:
        return hard_ints[rng() % std::size(hard_ints)];
      case 1:
        return static_cast<std::int32_t>(rng() % 1200) - 100;
      default:
        return static_cast<std::int32_t>(rng());
    }
  };
  for (int n = 0; n < 400'000; ++n) {
    records::Observation o;
    o.month = integer();
    o.day = integer();
    o.year = integer();
    o.hour = integer();
    o.min = integer();
    for (float& v : o.val) v = real();
    const records::Times t{real(), real()};
    const int nval = static_cast<int>(rng() % 15) - 2;
    char want[records::kMaxListingChars];
    const std::size_t want_len = records::format_listing_portable(want, o, t, nval);
    char got[records::kMaxListingChars + 2];
    std::memset(got, '#', sizeof got);
    const std::size_t len = records::format_listing_wide(got + 1, o, t, nval);
    ASSERT_EQ(got[0], '#');
    ASSERT_EQ(std::string(got + 1 + len, sizeof got - 1 - len),
              std::string(sizeof got - 1 - len, '#'));
    if (nval > 9) {
      ASSERT_EQ(len, 0u);
      continue;
    }
    ASSERT_EQ(std::string(got + 1, len), std::string(want, want_len))
        << "record " << n << " with " << nval << " values";
  }
}

}  // namespace
