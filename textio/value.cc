#include "textio/value.h"

#include <algorithm>

#include "textio/chars.h"
#include "textio/decimal.h"

namespace textio {

Value Value::kept(std::string_view s) {
  const std::size_t n = std::min<std::size_t>(s.size(), 8);
  std::uint64_t w = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    const char c = i < 8 - n ? ' ' : s[i - (8 - n)];
    w |= std::uint64_t{static_cast<unsigned char>(c)} << (8 * i);
  }
  return {0.0f, w};
}

// The float as every reading path reads the text: its cents over 100,
// exactly rounded in one step.
float Value::text_value() const {
  std::uint32_t cents = 0;
  bool neg = false;
  for (int i = 0; i < 8; ++i) {
    const auto c = static_cast<unsigned char>(word_ >> (8 * i));
    if (c == '-') neg = true;
    if (is_digit(c)) cents = cents * 10 + (c - '0');
  }
  const float v = exact_quotient(cents, 2);
  return neg ? -v : v;
}

}  // namespace textio
