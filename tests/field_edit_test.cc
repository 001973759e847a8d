#include "records/field_edit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

std::string real(float v, int w, int d) {
  char buf[32];
  records::edit_real(buf, v, w, d);
  return {buf, static_cast<std::size_t>(w)};
}

std::string integer(std::int32_t v, int w, int m) {
  char buf[32];
  records::edit_int(buf, v, w, m);
  return {buf, static_cast<std::size_t>(w)};
}

// The exact reference: glibc prints the exact binary value of a double,
// rounded to nearest with ties to even, and a float widens to double exactly.
std::string reference(float v, int w, int d) {
  char buf[128];
  int n = std::snprintf(buf, sizeof buf, "%*.*f", w, d, static_cast<double>(v));
  if (n > w) return std::string(static_cast<std::size_t>(w), '*');
  return buf;
}

TEST(FieldEdit, Reals) {
  struct Case {
    float v;
    int w, d;
    const char* want;
  };
  const Case cases[] = {
      {131.35416f, 7, 3, "131.354"},   {496.35416f, 9, 3, "  496.354"},
      {1.5f, 9, 2, "     1.50"},       {-3.25f, 9, 2, "    -3.25"},
      {0.5f, 9, 2, "     0.50"},       {0.0f, 7, 3, "  0.000"},
      {1234567.0f, 9, 2, "*********"}, {123456.0f, 9, 2, "123456.00"},
      {-12345.0f, 9, 2, "-12345.00"},  {-123456.0f, 9, 2, "*********"},
      {0.125f, 9, 2, "     0.12"},     {0.375f, 9, 2, "     0.38"},
      {-0.001f, 9, 2, "    -0.00"},    {1e30f, 9, 2, "*********"},
      {1e-30f, 9, 2, "     0.00"},     {999.999f, 7, 3, "999.999"},
      {9999.999f, 7, 3, "*******"},    {-99.999f, 7, 3, "-99.999"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.v);
    EXPECT_EQ(real(c.v, c.w, c.d), c.want);
  }
}

TEST(FieldEdit, Integers) {
  EXPECT_EQ(integer(5, 3, 2), " 05");
  EXPECT_EQ(integer(12, 2, 2), "12");
  EXPECT_EQ(integer(0, 2, 2), "00");
  EXPECT_EQ(integer(-1, 3, 2), "-01");
  EXPECT_EQ(integer(-1, 2, 2), "**");
  EXPECT_EQ(integer(100, 2, 2), "**");
  EXPECT_EQ(integer(999, 3, 2), "999");
  EXPECT_EQ(integer(-2147483647 - 1, 3, 2), "***");
  EXPECT_EQ(integer(-2147483647 - 1, 11, 2), "-2147483648");
  EXPECT_EQ(integer(2147483647, 12, 2), "  2147483647");
}

// Against the exact reference over random floats of every magnitude, and
// densely where the listing's fields live, for each field the listing uses.
TEST(FieldEdit, RealsMatchTheExactReference) {
  std::mt19937 rng(1989);
  const int shapes[][2] = {{7, 3}, {9, 3}, {9, 2}};
  for (int n = 0; n < 3'000'000; ++n) {
    float v;
    if (n % 3 == 0) {
      v = std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
      if (!std::isfinite(v)) continue;
    } else if (n % 3 == 1) {
      // Exact halfway cases: multiples of 1/2000 and 1/200 near the fields' range.
      v = static_cast<float>(static_cast<int>(rng() % 4'000'000) - 2'000'000) / 2000.0f;
    } else {
      v = std::ldexp(static_cast<float>(rng() % (1u << 24)), static_cast<int>(rng() % 40) - 44);
      if (rng() & 1) v = -v;
    }
    for (const auto& s : shapes) {
      ASSERT_EQ(real(v, s[0], s[1]), reference(v, s[0], s[1]))
          << std::hexfloat << v << " F" << s[0] << "." << s[1];
    }
  }
}

// The eight-lane editor of the value columns against the exact reference, in
// groups of every size from one to twelve (so a group fills the lanes, spills
// into a second pass, or leaves lanes empty), with the bytes around the
// fields left as they were. Its values: the hard cases of the field (ties,
// the last fitting values and the first too wide, a minus that no longer
// fits, signed zeros, NaNs, infinities, subnormals) mixed with random ones.
TEST(FieldEdit, WideValueColumnsMatchTheExactReference) {
  if (!records::wide_edit_supported()) GTEST_SKIP() << "no AVX-512 on this processor";
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<float> hard = {0.0f,       -0.0f,       0.125f,     0.375f,     -0.125f,
                                   0.005f,     -0.005f,     0.004999f,  999999.94f, 999999.99f,
                                   -99999.99f, -99999.995f, -100000.0f, 123456.0f,  -12345.0f,
                                   1234567.0f, inf,         -inf,       nan,        -nan,
                                   1e-45f,     -1e-45f,     1e30f,      -1e30f,     16777216.0f,
                                   1e8f,       0.01f,       -0.01f,     0.995f,     9.995f};
  std::mt19937 rng(2026);
  std::vector<float> values = hard;
  for (int n = 0; n < 600'000; ++n) {
    switch (n % 3) {
      case 0:
        values.push_back(std::bit_cast<float>(static_cast<std::uint32_t>(rng())));
        break;
      case 1:  // multiples of 1/200, where half of the values are ties
        values.push_back(static_cast<float>(static_cast<int>(rng() % 400'000'000) - 200'000'000) /
                         200.0f);
        break;
      default:
        values.push_back(
            std::ldexp(static_cast<float>(rng() % (1u << 24)), static_cast<int>(rng() % 40) - 30) *
            ((rng() & 1) ? -1.0f : 1.0f));
    }
  }
  char out[2 + 12 * 9 + 70];
  std::size_t i = 0;
  for (int size = 1; i < values.size(); size = size % 12 + 1) {
    const int k =
        static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(size), values.size() - i));
    std::memset(out, '#', sizeof out);
    records::edit_reals_wide(out + 2, values.data() + i, k);
    ASSERT_EQ(std::string(out, 2), "##");
    ASSERT_EQ(std::string(out + 2 + 9 * k, sizeof out - 2 - 9 * static_cast<std::size_t>(k)),
              std::string(sizeof out - 2 - 9 * static_cast<std::size_t>(k), '#'));
    for (int j = 0; j < k; ++j, ++i) {
      // NaNs and infinities have no decimal form: asterisks, as edit_real writes.
      const std::string want =
          std::isfinite(values[i]) ? reference(values[i], 9, 2) : std::string(9, '*');
      ASSERT_EQ(std::string(out + 2 + 9 * j, 9), want)
          << std::hexfloat << values[i] << " in a group of " << k;
    }
  }
}

TEST(FieldEdit, IntegersMatchPrintf) {
  std::mt19937 rng(90);
  for (int n = 0; n < 1'000'000; ++n) {
    auto v = static_cast<std::int32_t>(rng());
    if (n % 2 == 0) v %= 1000;
    for (int w : {2, 3}) {
      char buf[32];
      int len =
          std::snprintf(buf, sizeof buf, v < 0 ? "-%0*u" : "%0*u", 2,
                        v < 0 ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v));
      std::string want = len > w ? std::string(static_cast<std::size_t>(w), '*')
                                 : std::string(static_cast<std::size_t>(w - len), ' ') + buf;
      ASSERT_EQ(integer(v, w, 2), want) << v;
    }
  }
}

}  // namespace
