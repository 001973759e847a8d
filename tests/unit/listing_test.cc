// The listing's lines from floats (values kept as their texts are listed in
// the whole runs of run_test.cc, and against printf by fuzz_fields).
#include "records/listing.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support.h"

namespace {

using support::record;

TEST(Listing, Lines) {
  const records::Observation twelve =
      record(3, 1, 92, 0, 0, {1, 2, -0.0f, 4, 5, 6, 7, 8, 9, 10, 11.5f, 12.25f});
  const std::string first =
      " 60.000 1155.000 03-01-1992 00:00     1.00     2.00    -0.00     4.00     5.00     6.00"
      "     7.00     8.00     9.00    10.00\n";
  struct Case {
    records::Observation o;
    int nval;
    std::string want;
  };
  const Case cases[] = {
      {record(5, 12, 90, 8, 30, {1.5f, 2.5f}), 2,
       "131.354  496.354 05-12-1990 08:30     1.50     2.50\n"},
      {record(1, 2, 89, -1, 0), 0, "  0.958    0.958 01-02-1989-01:00\n"},
      {record(1, 2, 100, 0, 0, {1}), 0, "  1.000 4018.000 01-02-19** 00:00\n"},
      {record(12, 31, 90, 23, 59, {-3.25f}), 1, "364.999  729.999 12-31-1990 23:59    -3.25\n"},
      {record(1, -1, 100, -1, 7, {1234567.0f}), 1, " -2.037 4014.963 01-**-19**-01:07*********\n"},
      {record(11, 8, 91, 123, -5,
              {-123456.78f, 123456.78f, -0.004f, 0.005f, 0.015f, 0.125f, 0.375f, -99999.99f,
               1.0f / 3}),
       9,
       "316.122 1046.122 11-08-1991123:***********123456.78    -0.00     0.00     0.01     0.12"
       "     0.38-99999.99     0.33\n"},
      {twelve, 12, first + " 11.500   12.250\n"},
      {twelve, 11, first + " 11.500\n"},
      {twelve, 10, first},
  };
  for (const Case& c : cases) {
    char buf[records::kMaxListingChars];
    const std::size_t n = records::format_listing(buf, c.o, records::compute_times(c.o), c.nval);
    EXPECT_EQ(std::string(buf, n), c.want);
  }
}

// The gregorian calendar's year in four digits where "-19" and the year
// stand, whichever way the record wrote it; from mid-2016 the epoch-day
// time fills its nine columns, and before mid-1961 it is too wide for them.
TEST(Listing, GregorianYears) {
  const struct {
    records::Observation o;
    std::string want;
  } cases[] = {
      {record(2, 29, 2024, 12, 0, {1.5f}), " 59.50012842.500 02-29-2024 12:00     1.50\n"},
      {record(2, 29, 24, 12, 0, {1.5f}), " 59.50012842.500 02-29-2024 12:00     1.50\n"},
      {record(1, 1, 1900, 0, 0, {1.5f}), "  0.000********* 01-01-1900 00:00     1.50\n"},
      {record(5, 12, 90, 8, 30, {1.5f}), "131.354  496.354 05-12-1990 08:30     1.50\n"},
      {record(12, 31, 2015, 23, 59, {1.5f}), "364.999 9860.999 12-31-2015 23:59     1.50\n"},
      {record(6, 1, 2016, 0, 0, {1.5f}), "152.00010013.000 06-01-2016 00:00     1.50\n"},
  };
  for (const auto& c : cases) {
    const records::GregorianYear y = records::gregorian(c.o.year);
    char buf[records::kMaxListingChars];
    const std::size_t n =
        records::format_listing(buf, c.o, records::compute_times(c.o, y), 1, y.year);
    EXPECT_EQ(std::string(buf, n), c.want);
  }
}

}  // namespace
