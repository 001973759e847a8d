#include "records/field_edit.h"

#include <bit>
#include <cstring>

namespace records {

namespace {

constexpr std::uint64_t kPow10[] = {1ull,
                                    10ull,
                                    100ull,
                                    1000ull,
                                    10000ull,
                                    100000ull,
                                    1000000ull,
                                    10000000ull,
                                    100000000ull,
                                    1000000000ull,
                                    10000000000ull,
                                    100000000000ull,
                                    1000000000000ull,
                                    10000000000000ull,
                                    100000000000000ull,
                                    1000000000000000ull};

constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void fill_stars(char* out, int w) { std::memset(out, '*', static_cast<std::size_t>(w)); }

// Writes q's digits (at least m of them; a point before the last d when d > 0)
// and a minus sign when neg, right-justified in the w characters at out, or
// asterisks when they do not fit. Right to left, straight into the field.
template <typename U>
inline void put_number(char* out, int w, U q, int m, int d, bool neg) {
  char* p = out + w;
  int n = 0;
  for (; n + 1 < d; n += 2) {  // decimals two at a time: half the divisions
    const char* pair = kPairs + 2 * (q % 100);
    *--p = pair[1];
    *--p = pair[0];
    q /= 100;
  }
  for (; n < d; ++n) {
    *--p = static_cast<char>('0' + q % 10);
    q /= 10;
  }
  if (d > 0) *--p = '.';
  do {
    if (p == out) return fill_stars(out, w);
    *--p = static_cast<char>('0' + q % 10);
    q /= 10;
    ++n;
  } while (q != 0 || n < m);
  if (neg) {
    if (p == out) return fill_stars(out, w);
    *--p = '-';
  }
  while (p != out) *--p = ' ';
}

// The real editor. The listing's field shapes call it with constant w and
// d, so that each gets a copy with its loops unrolled.
inline void edit_real_at(char* out, float v, int w, int d) {
  auto bits = std::bit_cast<std::uint32_t>(v);
  bool neg = (bits >> 31) != 0;
  int biased = static_cast<int>((bits >> 23) & 0xff);
  std::uint32_t frac = bits & 0x7fffff;
  if (biased == 0xff) return fill_stars(out, w);  // infinities and NaNs have no decimal form
  // v = mant * 2^e exactly, so v * 10^d = mant * 10^d * 2^e: an integer of
  // at most 44 bits times a power of two, whose rounding to an integer is exact.
  std::uint64_t mant = biased == 0 ? frac : (frac | 0x800000u);
  int e = biased == 0 ? -149 : biased - 150;
  std::uint64_t q = 0;
  if (e >= 0) {
    // A whole number: too wide once its digits alone leave no room for the
    // point and the decimals (2^40 has 13 digits, more than any field holds).
    if (e >= 40) return fill_stars(out, w);
    std::uint64_t whole = mant << e;
    if (whole >= kPow10[w - d - 1]) return fill_stars(out, w);
    q = whole * kPow10[d];
  } else if (-e < 63) {
    std::uint64_t n = mant * kPow10[d];
    int s = -e;
    q = n >> s;
    std::uint64_t rem = n & ((std::uint64_t{1} << s) - 1);
    std::uint64_t half = std::uint64_t{1} << (s - 1);
    if (rem > half || (rem == half && (q & 1) != 0)) ++q;
  }  // else v * 10^d < 2^44 * 2^-63: far below one half, so q stays 0

  // Enough digits to leave no room for the point is too wide whatever the sign.
  if (q >= kPow10[w - 1]) return fill_stars(out, w);
  if (q <= 0xffffffffu) {
    put_number(out, w, static_cast<std::uint32_t>(q), d + 1, d, neg);
  } else {
    put_number(out, w, q, d + 1, d, neg);
  }
}

}  // namespace

void edit_real(char* out, float v, int w, int d) {
  if (w == 9 && d == 2) return edit_real_at(out, v, 9, 2);
  if (w == 7 && d == 3) return edit_real_at(out, v, 7, 3);
  if (w == 9 && d == 3) return edit_real_at(out, v, 9, 3);
  edit_real_at(out, v, w, d);
}

void edit_int(char* out, std::int32_t v, int w, int m) {
  auto u = static_cast<std::uint32_t>(v);
  bool neg = v < 0;
  if (neg) u = 0u - u;  // defined for the most negative value too
  put_number(out, w, u, m, 0, neg);
}

}  // namespace records
