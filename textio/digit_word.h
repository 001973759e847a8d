// Eight characters at a time: finding where a run of ASCII digits ends and
// reading its value with a few multiplications instead of a loop whose length
// changes from token to token (and so costs a mispredicted branch each time).
// Only for little-endian machines; the reader checks and keeps a byte loop
// for the others.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace textio {

// Loads the eight bytes at p, the first in the lowest byte.
inline std::uint64_t load_word(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

// The number of ASCII digits at the start of w, 0 to 8. A byte below '0'
// borrows and one above '9' sets the high bit of its sum; carries and borrows
// run only towards later bytes, and only out of a non-digit, so the first
// flagged byte is exact whatever follows it.
inline int leading_digits(std::uint64_t w) {
  std::uint64_t flags =
      ((w + 0x4646464646464646ull) | (w - 0x3030303030303030ull)) & 0x8080808080808080ull;
  return flags == 0 ? 8 : std::countr_zero(flags) / 8;
}

// The value of the first n (1 to 8) characters of w, all digits.
inline std::uint32_t digits_value(std::uint64_t w, int n) {
  // Digit values, moved to the top so that the bytes past them fall off and
  // zeros lead: "123" becomes 00000123.
  std::uint64_t v = (w - 0x3030303030303030ull) << (8 * (8 - n));
  v = v * 10 + (v >> 8);  // pairs: each even byte holds ten times its digit plus the next
  v = (((v & 0x000000ff000000ffull) * (100 + (1000000ull << 32))) +
       (((v >> 16) & 0x000000ff000000ffull) * (1 + (10000ull << 32)))) >>
      32;
  return static_cast<std::uint32_t>(v);
}

// The high bit of every zero byte of w, and perhaps of bytes after the first
// one; the first flagged byte is exact.
inline std::uint64_t zero_bytes(std::uint64_t w) {
  return (w - 0x0101010101010101ull) & ~w & 0x8080808080808080ull;
}

// The length of the token at the start of w, 0 to 8: the bytes before the
// first that can end one (a blank or any control byte, a comma, a slash).
inline int token_length(std::uint64_t w) {
  std::uint64_t ends = ((w - 0x2121212121212121ull) & ~w & 0x8080808080808080ull) |
                       zero_bytes(w ^ 0x2c2c2c2c2c2c2c2cull) |
                       zero_bytes(w ^ 0x2f2f2f2f2f2f2f2full);
  return ends == 0 ? 8 : std::countr_zero(ends) / 8;
}

// A plain decimal of at most seven characters: its digits as one integer,
// how many of them follow the point, and its sign.
struct ShortDecimal {
  std::uint32_t digits;
  int frac;
  bool point;
  bool neg;
};

// Reads the first len (1 to 7) characters of w as an optional sign, digits
// and at most one point with at least one digit; false for anything else.
inline bool short_decimal(std::uint64_t w, int len, ShortDecimal& out) {
  const std::uint64_t first = w & 0xff;
  const int sign = first == '-' || first == '+' ? 1 : 0;
  out.neg = first == '-';
  const int n = len - sign;
  if (n <= 0) return false;
  const std::uint64_t keep = (std::uint64_t{1} << (8 * n)) - 1;
  const std::uint64_t v = (w >> (8 * sign)) & keep;
  // Points, exact here: the only false flag could follow a point as a '/',
  // and a slash ends the token.
  const std::uint64_t points = zero_bytes(v ^ 0x2e2e2e2e2e2e2e2eull) & keep;
  if ((points & (points - 1)) != 0) return false;
  // With the point and the bytes past the token made zeros, every byte must
  // be a digit; no byte then carries or borrows into the next, so the test
  // is exact for all eight.
  const std::uint64_t filled = (v | (0x3030303030303030ull & ~keep)) + (points >> 7) * 2;
  if ((((filled + 0x4646464646464646ull) | (filled - 0x3030303030303030ull)) &
       0x8080808080808080ull) != 0)
    return false;
  int count = n;
  out.point = points != 0;
  out.frac = 0;
  std::uint64_t d = v;
  if (out.point) {
    const int k = std::countr_zero(points) / 8;
    const std::uint64_t below = (std::uint64_t{1} << (8 * k)) - 1;
    d = (v & below) | ((v >> 8) & ~below);  // the digits closed up over the point
    --count;
    out.frac = count - k;
    if (count == 0) return false;
  }
  out.digits = digits_value(d, count);
  return true;
}

}  // namespace textio
