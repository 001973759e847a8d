#include "textio/line_scan.h"

#include <bit>
#include <cstring>

#include "simd/avx512.h"
#include "textio/blank_mask.h"
#include "textio/chars.h"
#include "textio/decimal.h"
#include "textio/digit_word.h"
#include "textio/line_scan_avx512.h"

namespace textio {

namespace {

// One token after the other, for any machine; it takes tokens of at most
// seven characters after the sign.
std::size_t scan_line_portable(const char* s, std::span<const Item> items, std::uint32_t* bits) {
  if constexpr (std::endian::native != std::endian::little) return 0;
  const std::size_t n = items.size();
  if (n == 0 || n > kLineItems) return 0;
  const std::uint64_t blank0 = blank_mask(s);
  const std::uint64_t blank1 = blank_mask(s + 64);
  // A token starts at a byte that is not a blank and follows one, or opens
  // the window. Past the data lie zeros, which no token may hold.
  std::uint64_t starts = ~blank0 & ((blank0 << 1) | 1);
  const std::uint64_t later = ~blank1 & ((blank1 << 1) | (blank0 >> 63));
  int base = 0;
  const char* end = s;
  for (std::size_t k = 0; k < n; ++k) {
    if (starts == 0) {
      if (base != 0 || later == 0) return 0;
      starts = later;
      base = 64;
    }
    const char* t = s + base + std::countr_zero(starts);
    starts &= starts - 1;
    PlainDecimal d;
    const int len = plain_decimal(load_word(t), d);
    if (len == 0) return 0;
    // Only the last token may end the line, or stand before a comma or slash.
    if (k + 1 < n && !is_blank(t[len])) return 0;
    if (items[k].kind == Item::Kind::integer) {
      if (d.point) return 0;
      bits[k] = static_cast<std::uint32_t>(to_int32(d.digits, d.neg));
    } else if (items[k].kind == Item::Kind::real) {
      const float v = exact_quotient(d.digits, d.frac);  // at most seven digits
      bits[k] = std::bit_cast<std::uint32_t>(d.neg ? -v : v);
    } else {
      return 0;
    }
    end = t + len;
  }
  return static_cast<std::size_t>(end - s);
}

}  // namespace

std::size_t scan_line(const char* s, std::span<const Item> items, std::uint32_t* bits) {
#if VANTREL_AVX512
  if (simd::has_avx512()) return scan_line_avx512(s, items, bits);
#endif
  return scan_line_portable(s, items, bits);
}

}  // namespace textio
