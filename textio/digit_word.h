// The quick token's eight characters at a time: finding where a run of ASCII
// digits ends and reading its value with a few multiplications instead of a
// loop whose length changes from token to token (and so costs a mispredicted
// branch each time).
#pragma once

#include <bit>
#include <cstdint>

#include "textio/chars.h"
#include "textio/word.h"

namespace textio {

// The value of eight digit values, one a byte, the first in the lowest byte
// (leading zero bytes stand for leading zeros). Eight digits in three
// multiplications, combining neighbours pairwise (the SWAR digit parsing of
// W. Muła, "SWAR parsing of numbers", and of parse_eight_digits_unrolled in
// D. Lemire's fast_float).
inline std::uint32_t eight_digits_value(std::uint64_t v) {
  v = v * 10 + (v >> 8);  // pairs: each even byte holds ten times its digit plus the next
  // Four pairs into one number: the pairs at bytes 0 and 4 (the first and
  // third) are scaled by 10^6 and 10^2, those at bytes 2 and 6 by 10^4 and 1,
  // and the two products summed land, exact, in the high 32 bits.
  v = (((v & 0x000000ff000000ffull) * (100 + (1000000ull << 32))) +
       (((v >> 16) & 0x000000ff000000ffull) * (1 + (10000ull << 32)))) >>
      32;
  return static_cast<std::uint32_t>(v);
}

// The value of the first n (1 to 8) characters of w, all digits: their
// digit values moved to the top so that the bytes past them fall off and
// zeros lead ("123" becomes 00000123).
inline std::uint32_t digits_value(std::uint64_t w, int n) {
  return eight_digits_value((w - 0x3030303030303030ull) << (8 * (8 - n)));
}

// A plain decimal read from one eight-byte word: its digits as one integer,
// how many of them follow the point, whether it has a point, and its sign.
struct PlainDecimal {
  std::uint32_t digits;
  int frac;
  bool point;
  bool neg;
};

// Reads the token at the start of w when it is an optional sign, then digits
// with at most one point and at least one digit, at most seven characters in
// all, followed within w by a byte that ends a number (a carriage return
// with its line end after it). Returns the token's length, or 0 for anything
// else, which the caller leaves to the general path.
inline int plain_decimal(std::uint64_t w, PlainDecimal& out) {
  const std::uint64_t first = w & 0xff;
  const int sign = first == '-' || first == '+' ? 1 : 0;
  out.neg = first == '-';
  w >>= 8 * sign;  // a zero byte comes in at the top, and ends nothing
  const std::uint64_t others = ~digit_bytes(w) & kHigh;
  if (others == 0) return 0;  // eight digits or more
  int end = std::countr_zero(others) / 8;
  std::uint64_t d = w;
  int count = end;
  out.point = ((w >> (8 * end)) & 0xff) == '.';
  out.frac = 0;
  if (out.point) {
    const std::uint64_t rest = others & (others - 1);
    if (rest == 0) return 0;
    const int next = std::countr_zero(rest) / 8;
    const std::uint64_t below = (std::uint64_t{1} << (8 * end)) - 1;
    d = (w & below) | ((w >> 8) & ~below);  // the digits closed up over the point
    out.frac = next - end - 1;
    count = next - 1;
    end = next;
  }
  if (count == 0) return 0;
  const Ends how = number_end((w >> (8 * end)) & 0xff);
  if (how == Ends::no) return 0;
  if (how == Ends::before_line_end && (end == 7 || ((w >> (8 * end + 8)) & 0xff) != '\n')) return 0;
  out.digits = digits_value(d, count);
  return sign + end;
}

}  // namespace textio
