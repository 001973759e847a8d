#include "textio/freeform_reader.h"

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using textio::Item;
using textio::MemorySource;
using textio::Outcome;
using textio::Reader;

// Two integers and two reals, starting from marker values.
struct Record {
  std::int32_t a = -7, b = -7;
  float x = -7.0f, y = -7.0f;
  std::vector<Item> items() {
    return {Item::integer_field(a), Item::integer_field(b), Item::real_field(x),
            Item::real_field(y)};
  }
};

struct Case {
  const char* input;
  Outcome outcome;
  std::int32_t a, b;
  float x, y;
};

TEST(FreeformReader, OneReadOfTwoIntegersAndTwoReals) {
  const Case cases[] = {
      {"1 2 3.5 4\n", Outcome::whole, 1, 2, 3.5f, 4.0f},
      {"1,2,3.5,4\n", Outcome::whole, 1, 2, 3.5f, 4.0f},
      {"1 , 2 ,3.5,  4\n", Outcome::whole, 1, 2, 3.5f, 4.0f},
      {"\t1\t2\t3.5\t4\r\n", Outcome::whole, 1, 2, 3.5f, 4.0f},
      {"\n\n   \n1 2\n\n3.5\n4", Outcome::whole, 1, 2, 3.5f, 4.0f},
      {"1,,3.5,4\n", Outcome::whole, 1, -7, 3.5f, 4.0f},
      {",2,3.5,4\n", Outcome::whole, -7, 2, 3.5f, 4.0f},
      {"1, ,3.5,4\n", Outcome::whole, 1, -7, 3.5f, 4.0f},
      {"1 2 /\n", Outcome::whole, 1, 2, -7.0f, -7.0f},
      {"1 2/ 9 9\n", Outcome::whole, 1, 2, -7.0f, -7.0f},
      {"/\n", Outcome::whole, -7, -7, -7.0f, -7.0f},
      {"2*5 2*2.5\n", Outcome::whole, 5, 5, 2.5f, 2.5f},
      {"4*3\n", Outcome::whole, 3, 3, 3.0f, 3.0f},
      {"9*3\n", Outcome::whole, 3, 3, 3.0f, 3.0f},
      {"2* 1.5 2\n", Outcome::whole, -7, -7, 1.5f, 2.0f},
      {"3*,9\n", Outcome::whole, -7, -7, -7.0f, 9.0f},
      {"1 2 .5 5.\n", Outcome::whole, 1, 2, 0.5f, 5.0f},
      {"+1 -2 1e2 -2.5D-1\n", Outcome::whole, 1, -2, 100.0f, -0.25f},
      {"1 2 1E2 1d2\n", Outcome::whole, 1, 2, 100.0f, 100.0f},
      {"2147483647 -2147483648 0 -0\n", Outcome::whole, 2147483647, -2147483648, 0.0f, -0.0f},
      {"1 2 3 4 5 6 7\n", Outcome::whole, 1, 2, 3.0f, 4.0f},
      // ends
      {"", Outcome::end, -7, -7, -7.0f, -7.0f},
      {"\n  \n", Outcome::end, -7, -7, -7.0f, -7.0f},
      {"1 2 3.5", Outcome::end, 1, 2, 3.5f, -7.0f},
      {"1 2,,", Outcome::end, 1, 2, -7.0f, -7.0f},
      // errors: the items before the bad value keep what they were given
      {"1 7.5 1 1\n", Outcome::error, 1, -7, -7.0f, -7.0f},
      {"1 2 NaN 1\n", Outcome::error, 1, 2, -7.0f, -7.0f},
      {"1 2 1.5a 1\n", Outcome::error, 1, 2, -7.0f, -7.0f},
      {"1 2 --5 1\n", Outcome::error, 1, 2, -7.0f, -7.0f},
      {"1 2 1e 1\n", Outcome::error, 1, 2, -7.0f, -7.0f},
      {"1 2 . 1\n", Outcome::error, 1, 2, -7.0f, -7.0f},
      {"1 2 1e50 1\n", Outcome::error, 1, 2, -7.0f, -7.0f},
      {"1 2 3.4028236e38 1\n", Outcome::error, 1, 2, -7.0f, -7.0f},
      {"2147483648 2 3 4\n", Outcome::error, -7, -7, -7.0f, -7.0f},
      {"1 -2147483649 3 4\n", Outcome::error, 1, -7, -7.0f, -7.0f},
      {"1 7e0 3 4\n", Outcome::error, 1, -7, -7.0f, -7.0f},
      {"0*1 2 3 4\n", Outcome::error, -7, -7, -7.0f, -7.0f},
      {"2*1.5 3 4\n", Outcome::error, -7, -7, -7.0f, -7.0f},
      {"1 2 3\r4\n", Outcome::error, 1, 2, -7.0f, -7.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    MemorySource src(c.input);
    Reader reader(src);
    Record r;
    auto items = r.items();
    EXPECT_EQ(reader.read(items), c.outcome);
    EXPECT_EQ(r.a, c.a);
    EXPECT_EQ(r.b, c.b);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(r.x), std::bit_cast<std::uint32_t>(c.x));
    EXPECT_EQ(std::bit_cast<std::uint32_t>(r.y), std::bit_cast<std::uint32_t>(c.y));
  }
}

TEST(FreeformReader, NulByteIsNotANumber) {
  const std::string input("1 2 \0 4\n", 8);
  MemorySource src(input);
  Reader reader(src);
  Record r;
  auto items = r.items();
  EXPECT_EQ(reader.read(items), Outcome::error);
  EXPECT_EQ(reader.fault(), textio::Fault::not_a_number);
  EXPECT_EQ(reader.fault_item(), 2u);
}

TEST(FreeformReader, NextReadStartsOnTheNextLine) {
  MemorySource src("1 2 3 4 99 99\n5 6 7 8\n9 10\n11 12 / 0 0\n13,14,15,16");
  Reader reader(src);
  Record r;
  auto items = r.items();
  ASSERT_EQ(reader.read(items), Outcome::whole);
  ASSERT_EQ(reader.read(items), Outcome::whole);
  EXPECT_EQ(r.a, 5);
  EXPECT_EQ(r.y, 8.0f);
  // A short record continues on the next line; the slash leaves the reals.
  ASSERT_EQ(reader.read(items), Outcome::whole);
  EXPECT_EQ(r.a, 9);
  EXPECT_EQ(r.x, 11.0f);
  EXPECT_EQ(r.y, 12.0f);
  ASSERT_EQ(reader.read(items), Outcome::whole);
  EXPECT_EQ(r.a, 13);
  EXPECT_EQ(r.y, 16.0f);
  EXPECT_EQ(reader.read(items), Outcome::end);
}

TEST(FreeformReader, TextItems) {
  struct TextCase {
    const char* input;
    Outcome outcome;
    const char* field;  // 8 characters
  };
  const TextCase cases[] = {
      {"mervo.al\n", Outcome::whole, "mervo.al"},    {"ab\n", Outcome::whole, "ab      "},
      {"abcdefghijk\n", Outcome::whole, "abcdefgh"}, {"ab,cd\n", Outcome::whole, "ab      "},
      {"ab cd\n", Outcome::whole, "ab      "},       {"dir/f.x\n", Outcome::whole, "dir/f.x "},
      {"'ab cd.e'\n", Outcome::whole, "ab cd.e "},   {"'it''s'\n", Outcome::whole, "it's    "},
      {"'a,b'\n", Outcome::whole, "a,b     "},       {"''\n", Outcome::whole, "        "},
      {"'ab\ncd'\n", Outcome::whole, "abcd    "},    {"'ab\r\ncd'\n", Outcome::whole, "abcd    "},
      {"x.y\r\n", Outcome::whole, "x.y     "},       {",\n", Outcome::whole, "????????"},
      {"/\n", Outcome::whole, "????????"},           {"2*\n", Outcome::whole, "????????"},
      {"1*ab\n", Outcome::whole, "ab      "},        {"12ab\n", Outcome::whole, "12ab    "},
      {"'abc\n", Outcome::end, "????????"},          {"", Outcome::end, "????????"},
      {"'ab'cd\n", Outcome::error, "????????"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.input);
    MemorySource src(c.input);
    Reader reader(src);
    char field[8];
    std::memset(field, '?', 8);
    Item item = Item::text_field(field, 8);
    EXPECT_EQ(reader.read({&item, 1}), c.outcome);
    EXPECT_EQ(std::string(field, 8), c.field);
  }
}

TEST(FreeformReader, BlockBoundariesChangeNothing) {
  const std::string input = "1 2 3.25 4\r\n\r\n5,6,,1.5e1\r\n7 8 2*9.75\r\n'x' 1 2 3";
  for (std::size_t step = 1; step <= 7; ++step) {
    SCOPED_TRACE(step);
    MemorySource src(input, step);
    Reader reader(src);
    Record r;
    auto items = r.items();
    ASSERT_EQ(reader.read(items), Outcome::whole);
    EXPECT_EQ(r.x, 3.25f);
    ASSERT_EQ(reader.read(items), Outcome::whole);
    EXPECT_EQ(r.a, 5);
    EXPECT_EQ(r.x, 3.25f);
    EXPECT_EQ(r.y, 15.0f);
    ASSERT_EQ(reader.read(items), Outcome::whole);
    EXPECT_EQ(r.y, 9.75f);
    EXPECT_EQ(reader.read(items), Outcome::error);
  }
}

// A carriage return is data unless a line end follows it, and which it is
// must not depend on where the source's reads happen to cut the bytes.
TEST(FreeformReader, CarriageReturnsAcrossBlocks) {
  const std::string input = "ab\r\r\ncd\r\r\r\nef\r";
  // Cut by the source's reads, or by the reader's own blocks (of 2 bytes
  // at least, the carriage return held back and the byte after it).
  for (std::size_t step = 1; step <= 8; ++step) {
    SCOPED_TRACE(step);
    const bool by_source = step <= 4;
    MemorySource src(input, by_source ? step : 0);
    Reader reader(src, by_source ? Reader::kBlockSize : step - 4);
    char field[4];
    Item item = Item::text_field(field, 4);
    ASSERT_EQ(reader.read({&item, 1}), Outcome::whole);
    EXPECT_EQ(std::string(field, 4), "ab\r ");
    ASSERT_EQ(reader.read({&item, 1}), Outcome::whole);
    EXPECT_EQ(std::string(field, 4), "cd\r\r");
    ASSERT_EQ(reader.read({&item, 1}), Outcome::whole);
    EXPECT_EQ(std::string(field, 4), "ef  ");
    EXPECT_EQ(reader.read({&item, 1}), Outcome::end);
    // Inside quotes a CR LF line end is dropped and any other CR kept.
    MemorySource quoted("'x\r\r\ny\r'", by_source ? step : 0);
    Reader reader2(quoted, by_source ? Reader::kBlockSize : step - 4);
    ASSERT_EQ(reader2.read({&item, 1}), Outcome::whole);
    EXPECT_EQ(std::string(field, 4), "x\ry\r");
  }
}

TEST(FreeformReader, LongLinesCostNoMemory) {
  // Ten million digits of one value, and a line of blanks, in a reader of a fixed, much smaller
  // size.
  std::string input = "1 2 0." + std::string(10'000'000, '3') + " 4\n" +
                      std::string(20'000'000, ' ') + "\n5 6 7 8\n";
  MemorySource src(input);
  Reader reader(src);
  Record r;
  auto items = r.items();
  ASSERT_EQ(reader.read(items), Outcome::whole);
  EXPECT_EQ(r.x, 0.33333334f);
  ASSERT_EQ(reader.read(items), Outcome::whole);
  EXPECT_EQ(r.a, 5);
  std::string big = "1 " + std::string(10'000'000, '9') + " 3 4\n";
  MemorySource src2(big);
  Reader reader2(src2);
  EXPECT_EQ(reader2.read(items), Outcome::error);
  EXPECT_EQ(reader2.fault(), textio::Fault::out_of_range);
}

// The reader's conversion against glibc's strtof, which rounds correctly,
// over random decimal texts of every length and magnitude.
TEST(FreeformReader, RealsRoundLikeStrtof) {
  std::mt19937_64 rng(20261206);
  char text[160];
  for (int n = 0; n < 1'000'000; ++n) {
    int digits = 1 + static_cast<int>(rng() % (n % 4 == 0 ? 40 : 10));
    int point = static_cast<int>(rng() % (digits + 1));
    int exp = static_cast<int>(rng() % 100) - 50;
    char* p = text;
    if (rng() & 1) *p++ = '-';
    for (int i = 0; i < digits; ++i) {
      if (i == point) *p++ = '.';
      *p++ = static_cast<char>('0' + rng() % 10);
    }
    p += std::snprintf(p, 16, "e%d", exp);
    float got = 0.0f;
    errno = 0;
    float want = std::strtof(text, nullptr);
    bool ok = textio::parse_real(text, static_cast<std::size_t>(p - text), got);
    if (std::isinf(want)) {
      EXPECT_FALSE(ok) << text;
    } else {
      ASSERT_TRUE(ok) << text;
      ASSERT_EQ(std::bit_cast<std::uint32_t>(got), std::bit_cast<std::uint32_t>(want)) << text;
    }
  }
}

TEST(FreeformReader, RealsAtTheEdgesOfFloat) {
  const char* texts[] = {"3.4028235e38",
                         "3.4028235677973e38",
                         "1.4e-45",
                         "7.006492321624085e-46",
                         "7.1e-46",
                         "1.17549435e-38",
                         "16777217",
                         "16777216.5",
                         "0.1",
                         "1e-10",
                         "123456789012345678901234567890"};
  for (const char* t : texts) {
    float got = 0.0f;
    float want = std::strtof(t, nullptr);
    ASSERT_TRUE(textio::parse_real(t, std::strlen(t), got)) << t;
    EXPECT_EQ(std::bit_cast<std::uint32_t>(got), std::bit_cast<std::uint32_t>(want)) << t;
  }
}

}  // namespace

namespace {

// A plain decimal as loggers write them: a sign sometimes, up to nine digits
// with the point anywhere among them, or none.
std::string random_decimal(std::mt19937_64& rng, bool point_allowed) {
  std::string t;
  switch (rng() % 4) {
    case 0:
      t += '-';
      break;
    case 1:
      if (rng() % 4 == 0) t += '+';
      break;
    default:
      break;
  }
  int digits = 1 + static_cast<int>(rng() % 9);
  int point = point_allowed ? static_cast<int>(rng() % (digits + 2)) : digits + 1;
  for (int i = 0; i < digits; ++i) {
    if (i == point) t += '.';
    t += static_cast<char>('0' + rng() % 10);
  }
  if (point == digits) t += '.';
  return t;
}

const char* const kSeparators[] = {" ", "\n", "\t", ",", "\r\n", "   ", " , ", "\n\n"};

}  // namespace

// Lists of plain decimals, the tokens the quick scan takes, read in one go
// across lines and separators of every kind: each value as strtof or strtol
// gives it, the quick scan and the general path agreeing wherever a token
// falls (inside a block, or cut by its end).
TEST(FreeformReader, PlainDecimalsReadExactly) {
  std::mt19937_64 rng(7);
  constexpr int kList = 1000;
  for (int round = 0; round < 2000; ++round) {
    const bool reals = round % 2 == 0;
    std::string text;
    std::vector<std::string> tokens;
    for (int i = 0; i < kList; ++i) {
      tokens.push_back(random_decimal(rng, reals));
      text += tokens.back();
      text += kSeparators[rng() % std::size(kSeparators)];
    }
    std::vector<float> x(kList);
    std::vector<std::int32_t> n(kList);
    std::vector<Item> items;
    for (int i = 0; i < kList; ++i)
      items.push_back(reals ? Item::real_field(x[i]) : Item::integer_field(n[i]));
    MemorySource src(text);
    Reader reader(src);
    ASSERT_EQ(reader.read(items), Outcome::whole) << text;
    for (int i = 0; i < kList; ++i) {
      const char* t = tokens[i].c_str();
      if (reals) {
        float want = std::strtof(t, nullptr);
        ASSERT_EQ(std::bit_cast<std::uint32_t>(x[i]), std::bit_cast<std::uint32_t>(want)) << t;
      } else {
        ASSERT_EQ(n[i], std::strtol(t, nullptr, 10)) << t;
      }
    }
  }
}

// Tokens that look almost like plain decimals, in the middle of a record
// where the quick scan meets them first.
TEST(FreeformReader, NearDecimals) {
  struct Near {
    const char* token;
    bool ok;
    float value;
  };
  const Near cases[] = {
      {".5", true, 0.5f},   {"5.", true, 5.0f},        {"+7", true, 7.0f},    {"-0", true, -0.0f},
      {"-.5", true, -0.5f}, {"0000001.5", true, 1.5f}, {"1.2.3", false, 0},   {"-.", false, 0},
      {".", false, 0},      {"+", false, 0},           {"-", false, 0},       {"1-2", false, 0},
      {"1+", false, 0},     {"--1", false, 0},         {"+-1", false, 0},     {"1..2", false, 0},
      {"..1", false, 0},    {"1.5a", false, 0},        {"1.5\x01", false, 0}, {"7\xe9", false, 0},
      {"1.5\r2", false, 0},
  };
  for (const Near& c : cases) {
    SCOPED_TRACE(c.token);
    std::string text = std::string("1 2 ") + c.token + " 4\n";
    MemorySource src(text);
    Reader reader(src);
    Record r;
    auto items = r.items();
    if (c.ok) {
      ASSERT_EQ(reader.read(items), Outcome::whole);
      EXPECT_EQ(std::bit_cast<std::uint32_t>(r.x), std::bit_cast<std::uint32_t>(c.value));
      EXPECT_EQ(r.y, 4.0f);
    } else {
      EXPECT_EQ(reader.read(items), Outcome::error);
      EXPECT_EQ(reader.fault(), textio::Fault::not_a_number);
      EXPECT_EQ(reader.fault_item(), 2u);
    }
  }
}
