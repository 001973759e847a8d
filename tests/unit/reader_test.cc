// The free-form reading rules, one row a case.
#include <gtest/gtest.h>

#include <bit>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support.h"
#include "textio/freeform_reader.h"

namespace {

using namespace std::string_literals;
using textio::Fault;
using textio::Item;
using textio::MemorySource;
using textio::Outcome;
using textio::Reader;

std::uint32_t bits(float v) {
  return std::bit_cast<std::uint32_t>(v);
}

// One read of two integers and two reals that start out as -7, the first kept
// as its text -7.00 by an earlier read: the outcome, the fault and its item,
// what each item stands for, and whether the first is kept as its text.
TEST(Reader, OneReadOfTwoIntegersAndTwoReals) {
  constexpr auto W = Outcome::whole, E = Outcome::end, X = Outcome::error;
  constexpr auto N = Fault::none, NaN = Fault::not_a_number, R = Fault::out_of_range;
  struct Case {
    std::string input;
    Outcome outcome;
    Fault fault;
    std::size_t item;
    std::int32_t a, b;
    float x, y;
    bool kept = false;
  };
  const Case cases[] = {
      {"1 2 3.5 4\n", W, N, 0, 1, 2, 3.5f, 4},
      {"1,2,3.5,4\n", W, N, 0, 1, 2, 3.5f, 4},
      {"1 , 2 ,3.5,  4\n", W, N, 0, 1, 2, 3.5f, 4},
      {"\t1\t2\t3.5\t4\r\n", W, N, 0, 1, 2, 3.5f, 4},
      {"\n\n   \n1 2\n\n3.5\n4", W, N, 0, 1, 2, 3.5f, 4},
      {"1,,3.5,4\n", W, N, 0, 1, -7, 3.5f, 4},
      {",2,3.5,4\n", W, N, 0, -7, 2, 3.5f, 4},
      {"1, ,3.5,4\n", W, N, 0, 1, -7, 3.5f, 4},
      {"1 2 /\n", W, N, 0, 1, 2, -7, -7},
      {"1 2/ 9 9\n", W, N, 0, 1, 2, -7, -7},
      {"/\n", W, N, 0, -7, -7, -7, -7},
      {"2*5 2*2.5\n", W, N, 0, 5, 5, 2.5f, 2.5f},
      {"9*3\n", W, N, 0, 3, 3, 3, 3},
      {"2* 1.5 2\n", W, N, 0, -7, -7, 1.5f, 2},
      {"3*,9\n", W, N, 0, -7, -7, -7, 9},
      {"1 2 .5 5.\n", W, N, 0, 1, 2, 0.5f, 5},
      {"+1 -2 1e2 -2.5D-1\n", W, N, 0, 1, -2, 100, -0.25f},
      {"1 2 1E2 1d2\n", W, N, 0, 1, 2, 100, 100},
      {"2147483647 -2147483648 +7 -0\n", W, N, 0, 2147483647, -2147483648, 7, -0.0f},
      {"1 2 3 4 5 6 7\n", W, N, 0, 1, 2, 3, 4},
      {"1 2 -.5 0000001.5\n", W, N, 0, 1, 2, -0.5f, 1.5f},
      {"", E, N, 0, -7, -7, -7, -7},
      {"\n  \n", E, N, 0, -7, -7, -7, -7},
      {"1 2 3.5", E, N, 0, 1, 2, 3.5f, -7},
      {"1 2,,", E, N, 0, 1, 2, -7, -7},
      // The items before the bad value keep what they were given.
      {"1 7.5 1 1\n", X, NaN, 1, 1, -7, -7, -7},
      {"1 7e0 3 4\n", X, NaN, 1, 1, -7, -7, -7},
      {"2*1.5 3 4\n", X, NaN, 0, -7, -7, -7, -7},
      {"1 2 3\r4\n", X, NaN, 2, 1, 2, -7, -7},
      {"1 2 \0 4\n"s, X, NaN, 2, 1, 2, -7, -7},
      {"0*1 2 3 4\n", X, Fault::bad_repeat, 0, -7, -7, -7, -7},
      {"2147483648 2 3 4\n", X, R, 0, -7, -7, -7, -7},
      {"1 -2147483649 3 4\n", X, R, 1, 1, -7, -7, -7},
      {"1 99999999999999999999 3 4\n", X, R, 1, 1, -7, -7, -7},
      {"1 2 1e50 1\n", X, R, 2, 1, 2, -7, -7},
      {"1 2 3.4028236e38 1\n", X, R, 2, 1, 2, -7, -7},
      {"1 -2*5 3 4\n", X, NaN, 1, 1, -7, -7, -7},  // a signed repeat count
      // Lines the quick paths may take, read as the general path reads them.
      {"1 2" + std::string(59, ' ') + "3.5 4\n", W, N, 0, 1, 2, 3.5f, 4},       // 3.5 over byte 64
      {"1 2" + std::string(59, ' ') + "12-5.00 4\n", X, NaN, 2, 1, 2, -7, -7},  // '-' at 64
      {"1 2" + std::string(59, ' ') + "12-500 4\n", X, NaN, 2, 1, 2, -7, -7},   // not 12.500
      {"1,2 3 4.5 6\n", W, N, 0, 1, 2, 3, 4.5f},
      {"1999 2024 3.5 4\n", W, N, 0, 1999, 2024, 3.5f, 4},  // four digits, as years are written
      {"0007 9999,3.5,4\n", W, N, 0, 7, 9999, 3.5f, 4},
      {"1 20.4 3.5 4\n", X, NaN, 1, 1, -7, -7, -7},
      {"-1 -12 -3.5 -4\n", W, N, 0, -1, -12, -3.5f, -4},
      {"+1 +12 +3.5 +4\n", W, N, 0, 1, 12, 3.5f, 4},
      {"1, 2 ,25.69\t,\t4,\n", W, N, 0, 1, 2, 25.69f, 4, true},  // one comma a gap
      {"1 2,3,,4\n", W, N, 0, 1, 2, 3, -7},                      // two commas: an empty value
      {",1 2 3.5 4\n", W, N, 0, -7, 1, 2, 3.5f},  // a comma first: an empty first value
      {"1 2 1e2/ 9\n", W, N, 0, 1, 2, 100, -7},
      {"1 2 3355443.1 4\n", W, N, 0, 1, 2, 3355443.0f, 4},  // 25 bits: not the exact step
  };
  std::vector<Case> all(std::begin(cases), std::end(cases));
  // Tokens that look almost like plain decimals, which the quick paths meet first.
  for (const char* token : {"1.2.3", "-.", ".", "+", "-", "1-2", "1+", "--1", "+-1", "1..2", "..1",
                            "1.5a", "1.5\x01", "7\xe9", "3:5", "NaN", "1e", "1.2.34"})
    all.push_back({"1 2 "s + token + " 4\n", X, NaN, 2, 1, 2, -7, -7});
  // Two commas leave an empty value wherever they fall in the line scan's
  // window, across byte 64, where its halves meet, above all.
  for (std::size_t pad = 56; pad <= 72; ++pad) {
    std::string line = "1";
    all.push_back({line.append(pad, ' ').append(",,2,3.5,4\n"), W, N, 0, 1, -7, 2, 3.5f});
  }
  // A real in cents form is kept as its text, one in any other form is not.
  for (const char* t : {"25.69", "-25.69", "0.50", "-0.00", "99999.99", "-9999.99", "100.00"})
    all.push_back({"1 2 "s + t + " 4\n", W, N, 0, 1, 2, std::strtof(t, nullptr), 4, true});
  for (const char* t : {"+1.25", "05.25", "-05.25", "00.25", ".25", "-.25", "1.5", "1.250", "12",
                        "123456.78", "-99999.99", "1.25e1"})
    all.push_back({"1 2 "s + t + " 4\n", W, N, 0, 1, 2, std::strtof(t, nullptr), 4});
  // Reals at the edges of single precision, and a tie (halfway from 1 to the next float)
  // decided by a digit far past those kept, as glibc's correctly rounded strtof reads them.
  const std::string tie = "1.000000059604644775390625", zeros(100, '0');
  for (const std::string& t :
       {"3.4028235e38"s, "3.4028235677973e38"s, "1.4e-45"s, "7.1e-46"s, "16777216.5"s,
        "1.17549435e-38"s, tie + zeros + "1", "0.0" + zeros + "1e101"})
    all.push_back({"1 2 " + t + " 4\n", W, N, 0, 1, 2, std::strtof(t.c_str(), nullptr), 4});
  for (const Case& c : all) {
    SCOPED_TRACE(c.input);
    MemorySource src(c.input);
    Reader reader(src);
    std::int32_t a = -7, b = -7;
    textio::Value x = textio::Value::kept("-7.00"), y = -7.0f;
    const Item items[] = {Item::integer_field(a), Item::integer_field(b), Item::real_field(x),
                          Item::real_field(y)};
    EXPECT_EQ(reader.read(items), c.outcome);
    EXPECT_EQ(reader.fault(), c.fault);
    EXPECT_EQ(reader.fault_item(), c.item);
    EXPECT_EQ(a, c.a);
    EXPECT_EQ(b, c.b);
    EXPECT_EQ(bits(x.value()), bits(c.x));
    EXPECT_EQ(bits(y.value()), bits(c.y));
    EXPECT_EQ(x.text() != 0, c.kept || c.x == -7);  // -7: left alone, so still kept
  }
}

// Text items, each read whole, handed over 1 to 4 bytes a read, and through
// reader blocks of 2 to 5 bytes: a carriage return is data unless a line end
// follows it, wherever the cuts fall.
TEST(Reader, TextItems) {
  constexpr auto W = Outcome::whole, E = Outcome::end, X = Outcome::error;
  struct Case {
    const char* input;
    Outcome outcome;
    const char* field;  // 8 characters, from ????????
  };
  const Case cases[] = {{"mervo.al\n", W, "mervo.al"},    {"ab\n", W, "ab      "},
                        {"abcdefghijk\n", W, "abcdefgh"}, {"ab,cd\n", W, "ab      "},
                        {"ab cd\n", W, "ab      "},       {"dir/f.x\n", W, "dir/f.x "},
                        {"'ab cd.e'\n", W, "ab cd.e "},   {"'it''s'\n", W, "it's    "},
                        {"'a,b'\n", W, "a,b     "},       {"''\n", W, "        "},
                        {"'ab\ncd'\n", W, "abcd    "},    {"'ab\r\ncd'\n", W, "abcd    "},
                        {"x.y\r\n", W, "x.y     "},       {",\n", W, "????????"},
                        {"/\n", W, "????????"},           {"2*\n", W, "????????"},
                        {"1*ab\n", W, "ab      "},        {"12ab\n", W, "12ab    "},
                        {"'abc\n", E, "????????"},        {"", E, "????????"},
                        {"'ab'cd\n", X, "????????"},      {"ab\r\r\n", W, "ab\r     "},
                        {"cd\r\r\r\n", W, "cd\r\r    "},  {"ef\r", W, "ef      "},
                        {"'x\r\r\ny\r'", W, "x\ry\r    "}};
  for (const Case& c : cases) {
    for (std::size_t cut = 0; cut <= 8; ++cut) {
      SCOPED_TRACE(testing::Message() << c.input << " cut " << cut);
      MemorySource src(c.input, cut <= 4 ? cut : 0);
      Reader reader(src, cut <= 4 ? Reader::kBlockSize : cut - 3);
      char field[8];
      std::memset(field, '?', 8);
      const Item item = Item::text_field(field, 8);
      EXPECT_EQ(reader.read({&item, 1}), c.outcome);
      EXPECT_EQ(std::string(field, 8), c.field);
    }
  }
}

}  // namespace
