// The count of values taken from a data file's first record line.
#include "textio/first_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The values of a line as the reader reads a record: an empty value counts,
// r*v counts r; anything but numbers (a slash, a text) gives no count.
TEST(FirstLine, CountsValues) {
  const struct {
    const char* line;
    std::size_t numbers;
  } cases[] = {
      {"1 1 90 0 0 1.5 -2 +3e4 .5 5. 1D-3", 11},
      {"1,2 , 3,\t4,", 4},  // a comma before the line end only parts
      {"1\t1\t90\t0\t0\t1.5\t2", 7},
      {"1,,2", 3},  // an empty value
      {",1", 2},
      {"1 2*3", 3},
      {"3 12 90 8 30 10.62,,1011.90", 8},  // a logger's empty field
      {"1 2 /", 0},
      {"1 x", 0},
      {"1 1e", 0},
      {"1 + 2", 0},
      {"1 .", 0},
      {"", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(textio::count_numbers(c.line), c.numbers) << c.line;
}

// The first line that is not blank is found however the source hands its
// bytes over, after the lines passed over (dropped, however long), and the
// reader is handed every byte after those again, then the rest.
TEST(FirstLine, ReadsAheadAndHandsEverythingOn) {
  const std::string header = std::string(70000, 'h') + "\n";
  const struct {
    std::string data;
    std::uint64_t skip;
    std::uint64_t line;
    std::size_t numbers;
    std::size_t dropped;  // bytes passed over
  } cases[] = {
      {"\n \t\r\n1 2 3\r\n4 5\n", 0, 3, 3, 0},
      {"1 2", 0, 1, 2, 0},
      {"  \n\n", 0, 0, 0, 0},
      {"", 0, 0, 0, 0},
      {std::string(textio::kMaxHead, ' ') + "\n1", 0, 0, 0, 0},
      {"a b\n\n1 2\n", 1, 3, 2, 4},
      {header + header + "1 2 3 4 5\n", 2, 3, 5, 2 * header.size()},
      {"a\nb", 5, 0, 0, 3},
  };
  for (const auto& c : cases) {
    for (const std::size_t step : {0, 1}) {
      textio::MemorySource src(c.data, step);
      const textio::FirstLine first = textio::read_first_line(src, c.skip);
      EXPECT_EQ(first.line, c.line) << c.data.substr(0, 20);
      EXPECT_EQ(first.numbers, c.numbers) << c.data.substr(0, 20);
      textio::ReplaySource again(first.head, src);
      std::string all;
      char buf[7];
      for (std::size_t got = 1; got != 0;) {
        ASSERT_EQ(again.read(buf, sizeof buf, got), 0);
        all.append(buf, got);
      }
      EXPECT_EQ(all, c.data.substr(c.dropped));
    }
  }
}

}  // namespace
