// Every single-precision value through the field editor, against glibc's
// printf, which prints the exact binary value of a double rounded to nearest
// with ties to even (a float widens to double exactly). Too slow for the test
// suite, which checks millions of random values; run by hand:
//
//   make proofs   (all three shapes; alone: build/dev/proofs/field_edit_exhaustive 9 2)
//
// Each value is also checked in every column of its shape in a listing
// line.
//
// A value of 10^(w-d-1) or more needs at least w+1 characters, so there only
// the asterisks are checked; NaNs and infinities must give asterisks too.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "records/field_edit.h"
#include "records/listing.h"

namespace {

struct Tally {
  std::uint64_t compared = 0;
  std::uint64_t starred = 0;
  std::uint64_t wrong = 0;
};

// The field of v as edited alone by edit_real and in every column of its
// shape in a listing line.
void check_range(std::uint64_t from, std::uint64_t to, int w, int d, Tally& t) {
  const double limit = std::pow(10.0, w - d - 1);
  std::vector<int> columns;  // of the shape in the listing line, from its layout
  for (const records::Column& c : records::kTimeColumns) {
    if (c.width == w && c.decimals == d) columns.push_back(c.first);
  }
  if (w == records::kFirstValue.width && d == records::kFirstValue.decimals) {
    for (int k = 0; k < 9; ++k) columns.push_back(records::kFirstValue.first + k * w);
  }
  char got[32];
  char want[400];
  char line[records::kMaxListingChars];
  records::Observation obs{};
  for (std::uint64_t b = from; b < to; ++b) {
    const float v = std::bit_cast<float>(static_cast<std::uint32_t>(b));
    records::edit_real(got, v, w, d);
    bool starred = !std::isfinite(v) || std::fabs(static_cast<double>(v)) >= limit;
    if (starred) {
      std::memset(want, '*', static_cast<std::size_t>(w));
      ++t.starred;
    } else {
      int n = std::snprintf(want, sizeof want, "%*.*f", w, d, static_cast<double>(v));
      if (n > w) std::memset(want, '*', static_cast<std::size_t>(w));
      ++t.compared;
    }
    bool ok = std::memcmp(got, want, static_cast<std::size_t>(w)) == 0;
    if (!columns.empty()) {
      for (textio::Value& x : obs.val) x = v;
      records::format_listing(line, obs, records::Times{v, v}, 9);
      for (int c : columns)
        ok = ok && std::memcmp(line + c, want, static_cast<std::size_t>(w)) == 0;
    }
    if (!ok) {
      if (t.wrong < 10)
        std::printf("F%d.%d of %a: alone '%.*s', in the line '%.115s'\n", w, d,
                    static_cast<double>(v), w, got, line);
      ++t.wrong;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s WIDTH DECIMALS\n", argv[0]);
    return 2;
  }
  const int w = std::atoi(argv[1]);
  const int d = std::atoi(argv[2]);
  if (d < 1 || d > 6 || w < d + 2 || w > records::kMaxFieldWidth) {
    std::fprintf(stderr, "a field of %d with %d decimals is not one the editor takes\n", w, d);
    return 2;
  }
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<Tally> tallies(threads);
  std::vector<std::thread> pool;
  const std::uint64_t all = std::uint64_t{1} << 32;
  for (unsigned i = 0; i < threads; ++i)
    pool.emplace_back(check_range, all * i / threads, all * (i + 1) / threads, w, d,
                      std::ref(tallies[i]));
  Tally sum;
  for (unsigned i = 0; i < threads; ++i) {
    pool[i].join();
    sum.compared += tallies[i].compared;
    sum.starred += tallies[i].starred;
    sum.wrong += tallies[i].wrong;
  }
  std::printf("F%d.%d: %llu values compared with printf, %llu asterisk fields, %llu wrong\n", w, d,
              static_cast<unsigned long long>(sum.compared),
              static_cast<unsigned long long>(sum.starred),
              static_cast<unsigned long long>(sum.wrong));
  return sum.wrong == 0 ? 0 : 1;
}
