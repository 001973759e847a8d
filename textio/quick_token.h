// The quick token, the reader's second level: one plain decimal such as 12
// or -3.25, read from its bytes in one pass with no refill of the block. It
// takes a token only where the general path would give the same value, and
// leaves anything else, untouched, to the general path. Inline: it stands
// on the per-value path of every record the line scan does not take.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textio/chars.h"
#include "textio/decimal.h"
#include "textio/digit_word.h"
#include "textio/item.h"
#include "textio/word.h"

namespace textio {

namespace quick {

// Stores the digits m (frac of them after the point) in item when the token
// that starts at s ends at p and the value converts exactly in one step;
// returns p - s, or 0. (The NUL at the block's end ends nothing, and a CR
// there is followed by a zero.)
inline std::size_t store(const char* s, const Item& item, const char* p, std::uint64_t m, int frac,
                         bool neg) {
  if (!ends_number(p)) return 0;
  if (item.kind == Item::Kind::integer) {
    if (m > int32_magnitude(neg)) return 0;
    item.store(to_int32(m, neg));
  } else {
    if (!exact_step_takes(m, frac)) return 0;
    const float v = exact_quotient(static_cast<std::uint32_t>(m), frac);
    item.store(Value(neg ? -v : v));
  }
  return static_cast<std::size_t>(p - s);
}

// The token with a byte loop, for tokens of eight characters or more.
inline std::size_t bytes(const char* s, const Item& item) {
  const char* p = s;
  bool neg = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  std::uint64_t m = 0;
  const char* first = p;
  while (is_digit(*p)) m = m * 10 + static_cast<unsigned>(*p++ - '0');
  std::ptrdiff_t digits = p - first;
  std::ptrdiff_t frac = 0;
  if (*p == '.') {
    if (item.kind == Item::Kind::integer) return 0;
    const char* point = ++p;
    while (is_digit(*p)) m = m * 10 + static_cast<unsigned>(*p++ - '0');
    frac = p - point;
  }
  if (digits + frac == 0 || digits + frac > 19) return 0;
  return store(s, item, p, m, static_cast<int>(frac), neg);
}

}  // namespace quick

// Reads the plain decimal at s into item (a number's item); returns the
// bytes it took, or 0, having stored nothing, for a token it leaves to the
// general path. The bytes must be readable to the block's NUL and the zeros
// after it, so that eight-byte loads never leave the buffer and a token cut
// by the block's end is left to the general path.
inline std::size_t quick_token(const char* s, const Item& item) {
  PlainDecimal n;
  const int len = plain_decimal(load_word(s), n);
  if (len == 0) return quick::bytes(s, item);
  if (item.kind == Item::Kind::integer) {
    if (n.point) return 0;
    item.store(to_int32(n.digits, n.neg));
  } else {
    const float v = exact_quotient(n.digits, n.frac);  // at most seven digits
    item.store(Value(n.neg ? -v : v));
  }
  return static_cast<std::size_t>(len);
}

}  // namespace textio
