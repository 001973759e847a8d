// Cents form: how field loggers mostly write a reading, and how the
// listing's value columns show one. A real read in cents form can be kept as
// its text instead of its value: written again with two decimals it gives
// that text back (proofs/cents_exhaustive.cc shows it for every such text),
// so the text saves both its conversion and the listing's.
#pragma once

#include <cstdint>

#include "textio/chars.h"
#include "textio/decimal.h"

namespace textio {

// A real's text is in cents form when it is an optional minus sign, one
// digit or more with no leading zero (a lone 0 before the point stays), a
// point and two digits, eight characters at most: "-25.69", "0.50",
// "99999.99". Such a text is kept in one word: its characters right-justified
// in eight bytes with NULs before them, byte i of the eight in bits 8i to
// 8i + 7 (the first of them lowest).

// What a real kept as its text holds instead of its value: a quiet NaN,
// which the reader never gives, so that a value taken without its text
// shows at once (as asterisks in a listing).
inline constexpr std::uint32_t kNoValue = 0x7fc00000u;

// The value of a text in cents form, as every reading path reads it.
inline float cents_value(std::uint64_t text) {
  std::uint32_t cents = 0;
  bool neg = false;
  for (int i = 0; i < 8; ++i) {
    const auto c = static_cast<unsigned char>(text >> (8 * i));
    if (c == '-') neg = true;
    if (is_digit(c)) cents = cents * 10 + (c - '0');
  }
  const float v = exact_quotient(cents, 2);
  return neg ? -v : v;
}

}  // namespace textio
