#include "textio/line_scan.h"

#include <bit>
#include <cstring>

#include "textio/chars.h"
#include "textio/decimal.h"
#include "textio/digit_word.h"
#include "textio/word.h"

#if defined(__SSE2__) && !defined(VANTREL_PORTABLE)
#define VANTREL_SSE2 1
#include <emmintrin.h>
#endif

namespace textio {

namespace {

// The classes of 64 bytes of a line's window, one bit a byte.
struct Classes {
  std::uint64_t other;   // neither a blank nor a number character
  std::uint64_t number;  // a digit, point or sign
  std::uint64_t sign;    // plus or minus
};

// Where the tokens of a 128-byte window start and end, one bit a byte, by
// halves. A token is a run of number characters: it starts where one
// follows something else and ends at the first byte after it. Runs
// alternate, so the k-th end closes the k-th start; a run that reaches the
// window's end has no end in it.
struct Tokens {
  std::uint64_t starts[2];
  std::uint64_t ends[2];
};

inline Tokens find_tokens(const Classes& c0, const Classes& c1) {
  const std::uint64_t after0 = c0.number << 1;
  const std::uint64_t after1 = (c1.number << 1) | (c0.number >> 63);
  return {{c0.number & ~after0, c1.number & ~after1}, {~c0.number & after0, ~c1.number & after1}};
}

// True when, up to last_end (below 128), the window at s holds only blanks
// and number characters with signs only where a token starts, so that
// blanks alone part the tokens, which all stand on this line; and the byte
// at last_end ends a number.
inline bool only_tokens(const char* s, const Classes& c0, const Classes& c1, const Tokens& t,
                        unsigned last_end) {
  const std::uint64_t in0 = last_end >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << last_end) - 1;
  const std::uint64_t in1 = last_end > 64 ? (std::uint64_t{1} << (last_end - 64)) - 1 : 0;
  return ((c0.other | (c0.sign & ~t.starts[0])) & in0) == 0 &&
         ((c1.other | (c1.sign & ~t.starts[1])) & in1) == 0 && ends_number(s + last_end);
}

#if defined(VANTREL_SSE2)
// Sixteen bytes at a time: a byte compare and a movemask make one bit a
// byte, as simdjson classifies its input (G. Langdale, D. Lemire, "Parsing
// gigabytes of JSON per second", VLDB Journal 28, 2019).
inline Classes classify(const char* p) {
  Classes c{0, 0, 0};
  for (std::ptrdiff_t i = 0; i < 4; ++i) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8('0'));
    const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(9)), d);
    const __m128i sign =
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('+')), _mm_cmpeq_epi8(v, _mm_set1_epi8('-')));
    const __m128i number =
        _mm_or_si128(_mm_or_si128(digit, sign), _mm_cmpeq_epi8(v, _mm_set1_epi8('.')));
    const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(kBlanks[0])),
                                       _mm_cmpeq_epi8(v, _mm_set1_epi8(kBlanks[1])));
    const auto bits = [](__m128i m) {
      return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(m))};
    };
    c.other |= bits(_mm_or_si128(number, blank)) << (16 * i);
    c.number |= bits(number) << (16 * i);
    c.sign |= bits(sign) << (16 * i);
  }
  c.other = ~c.other;
  return c;
}
#else
// Eight bytes at a time in 64-bit arithmetic, for any machine.
inline Classes classify(const char* p) {
  Classes c{0, 0, 0};
  for (std::ptrdiff_t i = 0; i < 8; ++i) {
    const std::uint64_t w = load_word(p + 8 * i);
    const std::uint64_t sign = bytes_equal(w, '+') | bytes_equal(w, '-');
    const std::uint64_t number = digit_bytes(w) | sign | bytes_equal(w, '.');
    const std::uint64_t blank = bytes_equal(w, kBlanks[0]) | bytes_equal(w, kBlanks[1]);
    c.other |= high_bits(~(number | blank) & kHigh) << (8 * i);
    c.number |= high_bits(number) << (8 * i);
    c.sign |= high_bits(sign) << (8 * i);
  }
  return c;
}
#endif

// The offsets of the set bits of a 128-bit mask, lowest first.
class Offsets {
 public:
  Offsets(std::uint64_t low, std::uint64_t high) : low_(low), high_(high) {}
  // The offset of the next set bit (128 past the last), which is then cleared.
  unsigned next() {
    const bool in_high = low_ == 0;
    const std::uint64_t m = in_high ? high_ : low_;
    const unsigned at = (in_high ? 64u : 0u) + static_cast<unsigned>(std::countr_zero(m));
    high_ = in_high ? high_ & (high_ - 1) : high_;
    low_ &= low_ - 1;
    return at;
  }

 private:
  std::uint64_t low_;
  std::uint64_t high_;
};

// True when a token right-justified in text (NULs before it) is in cents
// form, given that it holds number characters only and a sign only first
// (the scan keeps nothing from a line where that is not so). Of those
// characters only the point and '+' have bit 4 clear and bit 1 set, and
// only the digits have bit 4 set, so three tests of the word decide: a
// point or '+' at byte 5 and at no other byte; a digit at byte 4 (so that
// byte 5 does not start the token, and is the point); and the first digit
// before that one, if any, not a 0.
//
// "-25.69" is the bytes 00 00 2d 32 35 2e 36 39 (byte 0 first). Bit 4 clear
// and bit 1 set: only 2e ('.'), at byte 5, as it must be. Bit 4 set: the
// digits 32 35 36 39 at bytes 3, 4, 6 and 7, so byte 4 is a digit. The
// first digit of bytes 0 to 3 is 32 ('2'), not 30 ('0'). In cents form.
// "05.25" (00 00 00 30 35 2e 32 35) fails the last test, ".25" (00 00 00
// 00 00 2e 32 35) the second, and "1.5" (00 00 00 00 00 31 2e 35) the first.
inline bool in_cents_form(std::uint64_t text) {
  const std::uint64_t point_or_plus = (~text >> 4) & (text >> 1) & kOnes;
  const bool digit_at_4 = (text >> 36 & 1) != 0;
  std::uint64_t first_digit = (text >> 4) & 0x01010101u;  // of bytes 0 to 3
  first_digit &= 0 - first_digit;
  const bool leading_zero = first_digit != 0 && (text & first_digit * 0x0f) == 0;
  return (point_or_plus == std::uint64_t{1} << 40) & digit_at_4 & !leading_zero;
}

}  // namespace

// Token by token in 64-bit arithmetic: each
// token is read from one eight-byte load, a real in cents form kept as its
// text and any other value made with no branch on its form, and the whole
// line is then checked by its masks at once.
std::size_t scan_line(const char* s, std::span<const Item> items, std::uint32_t* bits,
                      std::uint64_t* texts) {
  const std::size_t n = items.size();
  if (n == 0 || n > kLineItems) return 0;
  const Classes c0 = classify(s);
  const Classes c1 = classify(s + 64);
  const Tokens t = find_tokens(c0, c1);
  Offsets start_at(t.starts[0], t.starts[1]);
  Offsets end_at(t.ends[0], t.ends[1]);
  std::uint64_t bad = 0;
  unsigned last_end = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const unsigned from = start_at.next();
    last_end = end_at.next();
    std::uint64_t len = last_end - from;
    bad |= (len - 1) >> 3;  // the whole token must be in the eight bytes loaded
    // At most 128, past the tokens (where the check below fails): in reach.
    std::uint64_t w = load_word(s + from);
    // The token right-justified, NULs before it: its text in cents form.
    const std::uint64_t text = w << ((64 - 8 * len) & 63);
    if (items[k].kind == Item::Kind::real && in_cents_form(text)) {
      // Kept as its text, it needs no value, and has no fault but its
      // length, checked above.
      texts[k] = text;
      bits[k] = 0;
      continue;
    }
    texts[k] = 0;
    // A sign opens the token: taken off, with its length.
    const std::uint64_t first = w & 0xff;
    const std::uint64_t sign = (first | 6) == 0x2f ? 1 : 0;  // '+' or '-', the only ones here
    const bool neg = first == '-';
    w = sign != 0 ? w >> 8 : w;  // a select, not a shift by a count
    len -= sign;
    // Digit values moved to the top of the word, so that zeros lead: "3.25"
    // becomes 00 00 00 00 03 1e 02 05, where 1e is the point, the only
    // byte with a value of 16 or more.
    const std::uint64_t tok = (w ^ 0x3030303030303030ull) << ((64 - 8 * len) & 63);
    const std::uint64_t point_bit = (tok >> 4) & kOnes;
    bad |= point_bit & (point_bit - 1);  // two points
    const std::uint64_t has_point = point_bit != 0 ? 1 : 0;
    bad |= len <= has_point ? 1 : 0;  // no digit (a sign alone leaves len 0)
    // The point taken out: the whole-number digits below it move up one byte.
    const std::uint64_t below = point_bit - has_point;
    const std::uint64_t digits = (tok & ~(below | point_bit * 0xff)) | ((tok & below) << 8);
    if (items[k].kind == Item::Kind::real) {
      const std::uint32_t value = eight_digits_value(digits);
      // Decimals: the bytes above the point (none without one: the top
      // bit's byte then stands in for it).
      const int frac = 7 - std::countr_zero(point_bit | std::uint64_t{1} << 63) / 8;
      bad |= value > kExactDigits ? 1 : 0;
      const float v = exact_quotient(value, frac);
      bits[k] = std::bit_cast<std::uint32_t>(v) | std::uint32_t{neg} << 31;
    } else if (items[k].kind == Item::Kind::integer) {
      bad |= has_point;
      bits[k] = static_cast<std::uint32_t>(to_int32(eight_digits_value(digits), neg));
    } else {
      return 0;
    }
  }
  // A run that reaches the window's end has no end in it (128).
  if (bad != 0 || last_end >= 128 || !only_tokens(s, c0, c1, t, last_end)) return 0;
  return last_end;
}

}  // namespace textio
