#include "records/listing.h"

#include <gtest/gtest.h>

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

}  // namespace
