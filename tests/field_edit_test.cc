#include "records/field_edit.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <random>
#include <string>

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
