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

// Writes the decimal digits of q, at least m of them, ending just before end;
// returns where they start.
char* digits_before(char* end, std::uint64_t q, int m) {
  char* p = end;
  do {
    *--p = static_cast<char>('0' + q % 10);
    q /= 10;
  } while (q != 0);
  while (end - p < m) *--p = '0';
  return p;
}

void fill_stars(char* out, int w) { std::memset(out, '*', static_cast<std::size_t>(w)); }

// Places the text from p to end right-justified in the w characters at out.
void right_justify(char* out, int w, const char* p, const char* end) {
  auto n = static_cast<int>(end - p);
  if (n > w) {
    fill_stars(out, w);
    return;
  }
  std::memset(out, ' ', static_cast<std::size_t>(w - n));
  std::memcpy(out + (w - n), p, static_cast<std::size_t>(n));
}

}  // namespace

void edit_real(char* out, float v, int w, int d) {
  auto bits = std::bit_cast<std::uint32_t>(v);
  bool neg = (bits >> 31) != 0;
  int biased = static_cast<int>((bits >> 23) & 0xff);
  std::uint32_t frac = bits & 0x7fffff;
  if (biased == 0xff) {  // infinities and NaNs have no decimal form
    fill_stars(out, w);
    return;
  }
  // v = mant * 2^e exactly, so v * 10^d = mant * 10^d * 2^e: an integer of
  // at most 44 bits times a power of two, whose rounding to an integer is exact.
  std::uint64_t mant = biased == 0 ? frac : (frac | 0x800000u);
  int e = biased == 0 ? -149 : biased - 150;
  std::uint64_t q = 0;
  if (e >= 0) {
    // A whole number: too wide once its digits alone leave no room for the
    // point and the decimals (2^40 has 13 digits, more than any field holds).
    if (e >= 40) {
      fill_stars(out, w);
      return;
    }
    std::uint64_t whole = mant << e;
    if (whole >= kPow10[w - d - 1]) {
      fill_stars(out, w);
      return;
    }
    q = whole * kPow10[d];
  } else if (-e < 63) {
    std::uint64_t n = mant * kPow10[d];
    int s = -e;
    q = n >> s;
    std::uint64_t rem = n & ((std::uint64_t{1} << s) - 1);
    std::uint64_t half = std::uint64_t{1} << (s - 1);
    if (rem > half || (rem == half && (q & 1) != 0)) ++q;
  }  // else v * 10^d < 2^44 * 2^-63: far below one half, so q stays 0

  char buf[40];
  char* end = buf + sizeof buf;
  char* p = digits_before(end, q, d + 1);
  // Open a gap for the decimal point before the last d digits.
  std::memmove(p - 1, p, static_cast<std::size_t>(end - p - d));
  --p;
  end[-d - 1] = '.';
  if (neg) *--p = '-';
  right_justify(out, w, p, end);
}

void edit_int(char* out, std::int32_t v, int w, int m) {
  auto u = static_cast<std::uint32_t>(v);
  bool neg = v < 0;
  if (neg) u = 0u - u;  // defined for the most negative value too
  char buf[40];
  char* end = buf + sizeof buf;
  char* p = digits_before(end, u, m);
  if (neg) *--p = '-';
  right_justify(out, w, p, end);
}

}  // namespace records
