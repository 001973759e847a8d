#include "textio/line_scan.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "textio/blank_mask.h"
#include "textio/freeform_reader.h"
#include "textio/stream.h"

namespace {

using textio::Item;

// A record of five integers and up to twelve reals, as the tool reads it.
struct Record {
  std::int32_t ints[5] = {};
  float reals[12] = {};
  std::vector<Item> items;
  explicit Record(int nreal) {
    for (auto& v : ints) items.push_back(Item::integer_field(v));
    for (int k = 0; k < nreal; ++k) items.push_back(Item::real_field(reals[k]));
  }
  std::uint32_t bits(std::size_t k) const {
    return k < 5 ? static_cast<std::uint32_t>(ints[k]) : std::bit_cast<std::uint32_t>(reals[k - 5]);
  }
};

// The line with the zeros after it that the scans may read.
std::vector<char> padded(const std::string& line) {
  std::vector<char> buf(line.begin(), line.end());
  buf.resize(line.size() + textio::kLineReach, '\0');
  return buf;
}

// What the general path makes of the line: one byte a read keeps the line
// scan out, since the end of the data is always in its window.
bool reference(const std::string& line, Record& rec, std::uint64_t& line_after) {
  textio::MemorySource src(line, 1);
  textio::Reader reader(src);
  if (reader.read(rec.items) != textio::Outcome::whole) return false;
  line_after = reader.line();
  return true;
}

// Checks one scan against the general path: whatever it takes, it must read
// as the general path does, and stop within the same line.
void check(const char* name,
           std::size_t (*scan)(const char*, std::span<const Item>, std::uint32_t*),
           const std::string& line, int nreal, bool& taken) {
  Record rec(nreal);
  std::uint32_t bits[textio::kLineItems];
  const std::vector<char> buf = padded(line);
  const std::size_t len = scan(buf.data(), rec.items, bits);
  taken = len != 0;
  if (!taken) return;
  Record ref(nreal);
  std::uint64_t line_after = 0;
  ASSERT_TRUE(reference(line, ref, line_after))
      << name << " took a line the reader refuses: " << line;
  ASSERT_LE(len, line.size()) << name << ": " << line;
  ASSERT_EQ(line.substr(0, len).find('\n'), std::string::npos) << name << ": " << line;
  for (std::size_t k = 0; k < rec.items.size(); ++k) {
    ASSERT_EQ(bits[k], ref.bits(k)) << name << " item " << k << ": " << line;
  }
}

void check_both(const std::string& line, int nreal, bool& portable, bool& wide) {
  check("portable", textio::scan_line_portable, line, nreal, portable);
  wide = false;
  if (textio::wide_scan_supported()) check("wide", textio::scan_line_wide, line, nreal, wide);
}

TEST(LineScan, TakesPlainLinesAndLeavesTheRestToTheReader) {
  struct Case {
    const char* line;
    int nreal;
    bool taken;  // by both scans
  };
  const Case cases[] = {
      {"1 1 90 0 0 73.29 338.06 867.63 150.20 22.19 327.49 650.04 1.75 647.85\n", 9, true},
      {"12 31 96 23 59 -49.99 899.99 -0.00 0.01 .5 5. +7 -.25 100\r\n", 9, true},
      {"\t 1\t2 3 4 5 6 7\n", 2, true},
      {"1 2 3 4 5 6 7 and the rest of the line is dropped\n", 2, true},
      {"1 2 3 4 5 6 7,8\n", 2, true},
      {"1 2 3 4 5 6 7/\n", 2, true},
      {"1 2 3 4 5 6", 1, false},              // the data ends with the token
      {"1 2 3 4 5 6\r", 1, false},            // a carriage return on its own
      {"1 2 3 4 5\n6 7\n", 2, false},         // the record goes on on the next line
      {"1,2 3 4 5 6 7\n", 2, false},          // a comma between values
      {"1 2 3 4 5 1e3 7\n", 2, false},        // an exponent
      {"1 2 3 4 5 2*7\n", 2, false},          // a repeat count
      {"1 2 3 4 5.5 6 7\n", 2, false},        // a point in an integer
      {"1 2 3 4 5 6.5.5 7\n", 2, false},      // two points
      {"1 2 3 4 5 - 7\n", 2, false},          // a sign alone
      {"1 2 3 4 5 . 7\n", 2, false},          // a point alone
      {"1 2 3 4 5 6-7 8\n", 2, false},        // a sign inside
      {"1 2 3 4 5 16777217 8\n", 2, false},   // past 2^24: not exact as a float
      {"1 2 3 4 5 123456789 8\n", 2, false},  // nine digits
      {"'a' 2 3 4 5 6 7\n", 2, false},        // a quote
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    bool portable = false;
    bool wide = false;
    check_both(c.line, c.nreal, portable, wide);
    if (c.taken) {
      EXPECT_TRUE(portable);
      if (textio::wide_scan_supported()) {
        EXPECT_TRUE(wide);
      }
    } else {
      EXPECT_FALSE(wide);
      // The portable scan takes at most seven characters a token, so it
      // leaves some plain lines the wide one takes, but none of these.
      EXPECT_FALSE(portable);
    }
  }
}

TEST(LineScan, RecordsStartingAnywhereInTheWindow) {
  // Leading blanks move the record across the two halves of the window and
  // past its end.
  for (int lead = 0; lead < 140; ++lead) {
    const std::string line = std::string(static_cast<std::size_t>(lead), ' ') +
                             "3 14 90 12 30 -1.5 22.75 333.12 4 0.01 9.99 17 -250.5 6\n";
    bool portable = false;
    bool wide = false;
    check_both(line, 9, portable, wide);
    if (line.size() <= textio::kLineWindow) {  // the line end within the window
      EXPECT_TRUE(portable) << lead;
      if (textio::wide_scan_supported()) {
        EXPECT_TRUE(wide) << lead;
      }
    }
  }
}

// Random lines of number characters, blanks and a few others: both scans,
// against the general path, on a million lines.
TEST(LineScan, AgreesWithTheReaderOnRandomLines) {
  std::mt19937_64 rng(0x11e5ca4);
  const char pieces[] = "0123456789012345678901234567890123456789...--+    \t\n,/e*'\rx";
  std::size_t taken_portable = 0;
  std::size_t taken_wide = 0;
  for (int round = 0; round < 1000000; ++round) {
    std::string line;
    const int tokens = 5 + static_cast<int>(rng() % 14);
    for (int t = 0; t < tokens; ++t) {
      const int len = 1 + static_cast<int>(rng() % 9);
      for (int i = 0; i < len; ++i) {
        // Mostly digits, so that many lines are plain.
        const std::uint64_t r = rng();
        line += (r & 3) != 0 ? static_cast<char>('0' + (r >> 8) % 10)
                             : pieces[(r >> 8) % (sizeof pieces - 1)];
      }
      line += (rng() & 7) != 0 ? ' ' : "\t  \n,"[rng() % 5];
    }
    const int nreal = static_cast<int>(rng() % 13);
    bool portable = false;
    bool wide = false;
    check_both(line, nreal, portable, wide);
    if (HasFatalFailure()) return;
    taken_portable += portable;
    taken_wide += wide;
  }
  // Both scans must have been tried on many lines they take.
  EXPECT_GT(taken_portable, 10000u);
  if (textio::wide_scan_supported()) {
    EXPECT_GT(taken_wide, taken_portable);
  }
}

}  // namespace

namespace {

// The sixteen-byte blank mask against the byte loop it stands for.
TEST(LineScan, BlankMaskMatchesTheByteLoop) {
  std::mt19937_64 rng(0xb1a4c);
  char buf[64];
  for (int round = 0; round < 100000; ++round) {
    for (char& c : buf) c = " \t\n\r0.-x\xa0\x89"[rng() % 10];
    ASSERT_EQ(textio::blank_mask(buf), textio::blank_mask_bytes(buf));
  }
}

}  // namespace
