// Every single-precision value through the field editor, against glibc's
// printf, which prints the exact binary value of a double rounded to nearest
// with ties to even (a float widens to double exactly). Too slow for the test
// suite, which checks millions of random values; run by hand:
//
//   build/bench/bench/field_edit_exhaustive 9 2     (F9.2; also 7 3, 9 3)
//
// F9.2 values are also checked through the eight-lane editor of the
// listing's value columns, where this processor has it.
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

namespace {

struct Tally {
  std::uint64_t compared = 0;
  std::uint64_t starred = 0;
  std::uint64_t wrong = 0;
};

// True when got is what the field of v must be.
bool right(const char* got, float v, int w, int d, double limit, Tally& t) {
  char want[400];
  if (!std::isfinite(v) || std::fabs(static_cast<double>(v)) >= limit) {
    ++t.starred;
    return std::memchr(got, ' ', static_cast<std::size_t>(w)) == nullptr &&
           std::strspn(got, "*") >= static_cast<std::size_t>(w);
  }
  ++t.compared;
  int n = std::snprintf(want, sizeof want, "%*.*f", w, d, static_cast<double>(v));
  if (n > w) std::memset(want, '*', static_cast<std::size_t>(w));
  return std::memcmp(got, want, static_cast<std::size_t>(w)) == 0;
}

void report(const char* how, const char* got, float v, int w, int d, Tally& t) {
  if (t.wrong < 10)
    std::printf("F%d.%d of %a (%s): got '%.*s'\n", w, d, static_cast<double>(v), how, w, got);
  ++t.wrong;
}

// Each value alone through edit_real; for F9.2 also in groups of one to
// nine through edit_reals_wide where the processor runs it, so that every
// lane of a group and both of its stores see every value.
void check_range(std::uint64_t from, std::uint64_t to, int w, int d, Tally& t) {
  const double limit = std::pow(10.0, w - d - 1);
  const bool wide = w == 9 && d == 2 && records::wide_edit_supported();
  char got[32];
  float group[9];
  char fields[9 * 9];
  int k = 0;
  int size = 1;
  for (std::uint64_t b = from; b < to; ++b) {
    const float v = std::bit_cast<float>(static_cast<std::uint32_t>(b));
    records::edit_real(got, v, w, d);
    if (!right(got, v, w, d, limit, t)) report("alone", got, v, w, d, t);
    if (!wide) continue;
    group[k++] = v;
    if (k == size || b + 1 == to) {
      records::edit_reals_wide(fields, group, k);
      for (int i = 0; i < k; ++i) {
        Tally ignored;
        if (!right(fields + 9 * i, group[i], w, d, limit, ignored))
          report("in a group", fields + 9 * i, group[i], w, d, t);
      }
      k = 0;
      size = size % 9 + 1;
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
