#include "records/field_edit.h"

#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "textio/word.h"

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

constexpr double kPow10Double[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};

using textio::kHigh;

void fill_stars(char* out, int w) {
  std::memset(out, '*', static_cast<std::size_t>(w));
}

// Writes q's digits (at least m of them; a point before the last d when d > 0)
// and a minus sign when neg, right-justified in the w characters at out, or
// asterisks when they do not fit. Right to left, straight into the field.
template <typename U>
inline void put_number(char* out, int w, U q, int m, int d, bool neg) {
  char* p = out + w;
  int n = 0;
  for (; n + 1 < d; n += 2) {  // decimals two at a time: half the divisions
    const char* pair = kDigitPairs + 2 * (q % 100);
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

// The four ASCII digits of every number below 10^4, leading zeros included,
// the first digit in the lowest byte: two lookups give a field's digits. (The
// digit-group table of fast integer printing, as in A. Alexandrescu, "Three
// optimization tips for C++", 2012, here with groups of four.)
constexpr auto kQuads = [] {
  std::array<std::uint32_t, 10000> t{};
  for (std::uint32_t n = 0; n < 10000; ++n) {
    t[n] = (0x30u + n / 1000) | (0x30u + n / 100 % 10) << 8 | (0x30u + n / 10 % 10) << 16 |
           (0x30u + n % 10) << 24;
  }
  return t;
}();

// The eight decimal digits of q < 10^8, leading zeros included, as eight
// ASCII bytes with the first digit in the lowest byte.
inline std::uint64_t eight_digits(std::uint32_t q) {
  const std::uint32_t hi = q / 10000;
  return kQuads[hi] | std::uint64_t{kQuads[q - hi * 10000]} << 32;
}

// put_number for a field of at most 9 characters holding q < 10^(w-1) and
// at least one whole-number digit, with no loop and no branch on the number
// of digits or the sign: all the digits are made at once, the leading zeros
// turned into blanks and a minus sign put in by byte arithmetic, and the
// point let in between.
inline void put_fixed(char* out, int w, int d, std::uint32_t q, bool neg) {
  const int iw = w - d - 1;  // room for the sign and the whole-number digits
  // The w - 1 digits of the field, first in the lowest byte.
  std::uint64_t field = eight_digits(q) >> (8 * (9 - w));
  // The high bit of each byte holding a digit other than 0, and of the
  // last whole-number digit, which stays even when 0. (Adding 0x7f to a
  // digit's value, at most 9, sets its high bit exactly when it is not 0,
  // and never carries into the next byte.)
  const std::uint64_t values = field ^ 0x3030303030303030ull;
  const std::uint64_t kept = ((values + ~kHigh) & kHigh) | std::uint64_t{0x80} << (8 * (iw - 1));
  // The first byte kept, and the high bits of the leading zeros below it.
  const std::uint64_t first = kept & (0 - kept);
  const std::uint64_t lead = (first - 1) & kHigh;
  if (neg && lead == 0) return fill_stars(out, w);  // no room left for the sign
  // Each leading zero becomes a blank ('0' less 0x10, the high bit moved
  // down three places), and the last blank a minus sign ('-' is a blank
  // plus 0x0d).
  field -= lead >> 3;
  field += (first >> 15) * (neg ? 0x0d : 0);
  const std::uint64_t whole = (std::uint64_t{1} << (8 * iw)) - 1;
  const std::uint64_t text =
      (field & whole) | std::uint64_t{'.'} << (8 * iw) | (field & ~whole) << 8;
  if (w <= 8) {
    char bytes[8];
    textio::store_word(bytes, text);
    std::memcpy(out, bytes, static_cast<std::size_t>(w));
  } else {
    textio::store_word(out, text);
    out[8] = static_cast<char>(field >> 56);  // the last digit, pushed out by the point
  }
}

// The real editor. The listing's field shapes call it with constant w and
// d, so that each gets a copy with its loops unrolled.
inline void edit_real_at(char* out, float v, int w, int d) {
  static_assert(FLT_EVAL_METHOD == 0, "the rounding below needs doubles evaluated as doubles");
  if (w <= 9) {
    // The common case in a few operations: v * 10^d is exact in double
    // (24 bits times at most 20), and adding and taking away 2^52 rounds it
    // to an integer, ties to even, as every IEEE double operation rounds
    // (the classic magic-number rounding: at 2^52 a double has no bits
    // below its units left).
    // NaNs, infinities and values too wide fail the test and go on below.
    double a = std::fabs(static_cast<double>(v)) * kPow10Double[d];
    if (a < kPow10Double[w - 1]) {
      auto q = static_cast<std::uint32_t>((a + 0x1p52) - 0x1p52);
      if (q < kPow10[w - 1]) return put_fixed(out, w, d, q, std::signbit(v));
    }
  }
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
  if (w <= 9) {
    put_fixed(out, w, d, static_cast<std::uint32_t>(q), neg);
  } else if (q <= 0xffffffffu) {
    put_number(out, w, static_cast<std::uint32_t>(q), d + 1, d, neg);
  } else {
    put_number(out, w, q, d + 1, d, neg);
  }
}

}  // namespace

template <int w, int d>
void edit_real(char* out, float v) {
  edit_real_at(out, v, w, d);
}
template void edit_real<7, 3>(char* out, float v);
template void edit_real<9, 3>(char* out, float v);
template void edit_real<9, 2>(char* out, float v);

void edit_real(char* out, float v, int w, int d) {
  if (w == 9 && d == 2) return edit_real<9, 2>(out, v);
  if (w == 7 && d == 3) return edit_real<7, 3>(out, v);
  if (w == 9 && d == 3) return edit_real<9, 3>(out, v);
  edit_real_at(out, v, w, d);
}

void edit_cents(char* out, const textio::Value* v, int n) {
  for (int i = 0; i < n; ++i) {
    char* field = out + std::ptrdiff_t{9} * i;
    const std::uint64_t t = v[i].text();
    if (t == 0) {
      edit_real<9, 2>(field, v[i].value());
      continue;
    }
    // The text written back with two decimals is the text itself, so the
    // field is a blank and the text's eight bytes, blanks before it.
    field[0] = ' ';
    textio::store_word(field + 1, t);
  }
}

void edit_int(char* out, std::int32_t v, int w, int m) {
  if (m == 2 && two_digits(v)) {  // the listing's dates and times
    for (int i = 0; i < w - 2; ++i) out[i] = ' ';
    std::memcpy(out + w - 2, kDigitPairs + std::ptrdiff_t{2} * v, 2);
    return;
  }
  auto u = static_cast<std::uint32_t>(v);
  bool neg = v < 0;
  if (neg) u = 0u - u;  // defined for the most negative value too
  put_number(out, w, u, m, 0, neg);
}

}  // namespace records
