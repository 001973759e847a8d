#include "textio/line_scan.h"

#include <algorithm>
#include <array>
#include <bit>

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

// The classes of 64 bytes of a line's window, one bit a byte, up to the
// first byte that is not a blank, comma or number character: the line ends
// there, where the line is one the scan takes. The rest of the sixteen (or
// eight) bytes that hold it are classed too, and no more; their bits are
// masked off by the line's end or lie past the last token.
struct Classes {
  unsigned line_end;     // the offset of that byte, or 64 when there is none
  std::uint64_t number;  // a digit, point or sign
  std::uint64_t sign;    // plus or minus
  std::uint64_t comma;
};

// A 128-bit mask of a window's bytes, one bit a byte, by halves.
struct Mask {
  std::uint64_t low;
  std::uint64_t high;
};

// The bytes below offset at (at most 128).
inline Mask below(unsigned at) {
  const auto ones = [](unsigned k) { return (std::uint64_t{1} << (k & 63)) - 1; };  // k below 64
  return {at >= 64 ? ~std::uint64_t{0} : ones(at), at >= 128 ? ~std::uint64_t{0}
                                                   : at > 64 ? ones(at - 64)
                                                             : 0};
}

// True when a part of m falls within in.
inline bool any(const Mask& m, const Mask& in) {
  return ((m.low & in.low) | (m.high & in.high)) != 0;
}

// True when, up to last_end (below 128, and not past the line's end, before
// which there are only blanks, commas and number characters), the window at
// s has signs only where a token starts, no comma before the first token
// and at most one between two tokens, so that they part the tokens as the
// general path would; and the byte at last_end ends a number.
inline bool only_tokens(const char* s, const Classes& c0, const Classes& c1, const Mask& starts,
                        unsigned first, unsigned last_end) {
  const Mask in = below(last_end);
  if (any({c0.sign & ~starts.low, c1.sign & ~starts.high}, in) || !ends_number(s + last_end)) {
    return false;
  }
  const Mask comma{c0.comma, c1.comma};
  if (!any(comma, in)) return true;            // blanks alone part the tokens
  if (any(comma, below(first))) return false;  // an empty first value
  // Two commas with no token between them leave an empty value. The bits
  // that are not token starts make a run from each start to the next; a
  // run's commas, added to it, carry from the lowest up through the run,
  // so that any comma above the lowest is set in the sum (it is found 0
  // when the carry reaches it, and the comma's own bit sets it), while a
  // run's only comma is cleared.
  const std::uint64_t low = ~starts.low + comma.low;
  const std::uint64_t high = ~starts.high + comma.high + (low < comma.low ? 1 : 0);
  return !any({low & comma.low, high & comma.high}, in);
}

#if defined(VANTREL_SSE2)
// Sixteen bytes at a time: a byte compare and a movemask make one bit a
// byte, as simdjson classifies its input (G. Langdale, D. Lemire, "Parsing
// gigabytes of JSON per second", VLDB Journal 28, 2019).
inline Classes classify(const char* p) {
  Classes c{64, 0, 0, 0};
  for (unsigned i = 0; i < 4; ++i) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + std::size_t{16} * i));
    const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8('0'));
    const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(9)), d);
    const __m128i sign =
        _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('+')), _mm_cmpeq_epi8(v, _mm_set1_epi8('-')));
    const __m128i number =
        _mm_or_si128(_mm_or_si128(digit, sign), _mm_cmpeq_epi8(v, _mm_set1_epi8('.')));
    const __m128i comma = _mm_cmpeq_epi8(v, _mm_set1_epi8(','));
    const __m128i blank = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8(kBlanks[0])),
                                       _mm_cmpeq_epi8(v, _mm_set1_epi8(kBlanks[1])));
    const auto bits = [](__m128i m) {
      return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(m)));
    };
    c.number |= bits(number) << (16 * i);
    c.sign |= bits(sign) << (16 * i);
    c.comma |= bits(comma) << (16 * i);
    const std::uint64_t other = bits(_mm_or_si128(_mm_or_si128(number, blank), comma)) ^ 0xffff;
    if (other != 0) {
      c.line_end = 16 * i + static_cast<unsigned>(std::countr_zero(other));
      break;
    }
  }
  return c;
}
#else
// Eight bytes at a time in 64-bit arithmetic, for any machine. Each byte
// is exclusive-or'ed with '0' (0x30): the digits become 0 to 9 and the
// bytes "+,-." 1b to 1e. The digits are then one test on the low seven
// bits and "+,-." two, where adding cannot carry into the next byte (a
// byte with its high bit set is in neither). Of 1b to 1e, ',' (1c) is the
// one with bits 0 and 1 clear, and '+' and '-' (1b, 1d) the ones with bit
// 0 set: a shift of the whole word moves a byte's bit to its high bit,
// within the byte. So the number characters are the digits and "+-." ('/'
// is none, and ends a line as any other byte does).
inline Classes classify(const char* p) {
  Classes c{64, 0, 0, 0};
  for (unsigned i = 0; i < 8; ++i) {
    const std::uint64_t w = load_word(p + std::size_t{8} * i);
    const std::uint64_t x = w ^ (kOnes * '0');
    const std::uint64_t low = x & ~kHigh;
    const std::uint64_t digit = ~((low + kOnes * (0x80 - 10)) | x) & kHigh;
    const std::uint64_t punct =
        (low + kOnes * (0x80 - 0x1b)) & ~((low + kOnes * (0x80 - 0x1f)) | x) & kHigh;
    const std::uint64_t comma = punct & ~((x << 7) | (x << 6));
    const std::uint64_t sign = punct & (x << 7);
    const std::uint64_t number = digit | (punct ^ comma);
    const std::uint64_t blank = bytes_equal(w, kBlanks[0]) | bytes_equal(w, kBlanks[1]);
    c.number |= high_bits(number) << (8 * i);
    // Signs are rare in a word of most files, and commas stand in most
    // words of a file or in none: tested for before they are gathered.
    if (sign != 0) c.sign |= high_bits(sign) << (8 * i);
    if (comma != 0) c.comma |= high_bits(comma) << (8 * i);
    const std::uint64_t other = ~(digit | punct | blank) & kHigh;  // punct holds the commas
    if (other != 0) {
      c.line_end = 8 * i + static_cast<unsigned>(std::countr_zero(other)) / 8;
      break;
    }
  }
  return c;
}
#endif

// The number of set bits of m: the SWAR count of a word's bits (Bit
// Twiddling Hacks, "counting bits set, in parallel"), as x86-64's baseline
// has no instruction for it and the library's fallback is a call.
inline unsigned bit_count(std::uint64_t m) {
  m -= (m >> 1) & 0x5555555555555555ull;
  m = (m & 0x3333333333333333ull) + ((m >> 2) & 0x3333333333333333ull);
  m = (m + (m >> 4)) & 0x0f0f0f0f0f0f0f0full;
  return static_cast<unsigned>((m * kOnes) >> 56);
}

// Writes the offsets of the set bits of m, lowest first, from at[0] on,
// plus base, and returns how many there are. Four at a time with no test
// between them, as simdjson flattens its masks (G. Langdale, D. Lemire, as
// above): a line's count of bits is not the next one's, and a loop that
// tested each bit would mispredict its end on every line. Writes up to
// three offsets past the count, which the caller's room must hold. The top
// bit or-ed in makes the word non-zero, so that the compiler needs no test
// of zero around the bit scan of machines without a count-trailing-zeros
// instruction (x86-64's baseline has only BSF); it changes no offset of a
// bit that is set.
inline unsigned flatten(std::uint64_t m, unsigned base, unsigned* at) {
  const unsigned count = bit_count(m);
  for (unsigned i = 0; i < count; i += 4) {
    for (unsigned j = 0; j < 4; ++j) {
      at[i + j] = base + static_cast<unsigned>(std::countr_zero(m | std::uint64_t{1} << 63));
      m &= m - 1;
    }
  }
  return count;
}

// A pattern of a right-justified token's bytes: the token has it when
// ((text + add) & mask) == want.
struct Pattern {
  std::uint64_t add;
  std::uint64_t mask;
  std::uint64_t want;
};

// True when text has the pattern p.
inline bool has(std::uint64_t text, const Pattern& p) {
  return ((text + p.add) & p.mask) == p.want;
}

// What the scan knows of a token by its length, len (1 to 8), looked up
// once: where right-justifying a load at the token's start would take a
// shift by a count worked out from len, and telling its form bit by bit
// would take a dozen operations more.
struct Shape {
  // Of the eight bytes that end where the token does, the top len bytes
  // are the token's: kept, and blanks put for the bytes before them, which
  // are the line's or the zeros before the reader's block.
  std::uint64_t keep;
  std::uint64_t blanks;
  // A real in cents form, with no sign or after a minus sign (a token
  // that holds number characters only, with a sign only first: the scan
  // keeps nothing from a line where that is not so).
  Pattern plain;
  Pattern minus;
  // An integer of one to four digits (a year written in four among them).
  Pattern short_int;
};

// The patterns test bits of the bytes that tell the token's characters
// apart: of the number characters (and the blank), only the digits have
// bit 4 set; the point and the minus are compared whole. The first of two
// or more whole-number digits must not be a 0: adding 0x0f to it sets its
// bit 6 for '1' to '9' (0x40 to 0x48) and for no other number character
// (the largest, '9', gives 0x48, so that nothing carries out of the byte).
//
// "-25.69", of length 6 after a minus: the bytes 20 20 2d 32 35 2e 36 39
// (byte 0 first, blanks before the token). The minus at byte 2; 0x0f added
// to byte 3, '2', gives 41, bit 6 set; a digit at byte 4; the point at
// byte 5; digits at 6 and 7. In cents form. "05.25" fails at its 0, and
// "1.2.34" at its first point, where a digit must stand. ".25" and "1.5",
// of length 3, have no room for a whole-number digit at byte 4 before a
// point at byte 5: no token of that length is in cents form.
constexpr Pattern cents_pattern(std::size_t len, bool minus) {
  const std::size_t first = 8 - len;                  // the token's first byte
  const std::size_t whole = first + (minus ? 1 : 0);  // its first whole-number digit
  if (whole > 4) return {0, 0, 1};                    // no room for a whole-number digit: never had
  Pattern p{0, 0, 0};
  const auto need = [&p](std::size_t byte, std::uint64_t bits, std::uint64_t value) {
    p.mask |= bits << (8 * byte);
    p.want |= value << (8 * byte);
  };
  if (minus) need(first, 0xff, '-');
  for (std::size_t b = whole; b <= 7; ++b) {
    if (b == 5) {
      need(b, 0xff, '.');
    } else if (b == whole && whole < 4) {  // the first of two or more whole-number digits
      p.add = std::uint64_t{0x0f} << (8 * b);
      need(b, 0x40, 0x40);
    } else {
      need(b, 0x10, 0x10);  // a digit
    }
  }
  return p;
}

constexpr auto kShapes = [] {
  constexpr Pattern never{0, 0, 1};
  std::array<Shape, 9> t{};
  t[0] = {0, 0, never, never, never};  // no token has length 0
  for (std::size_t len = 1; len <= 8; ++len) {
    const std::uint64_t keep = ~std::uint64_t{0} << (8 * (8 - len));
    const std::uint64_t digits = keep & kOnes * 0x10;  // bit 4 of each of its bytes
    t[len] = {keep, ~keep & kOnes * ' ', cents_pattern(len, false), cents_pattern(len, true),
              len <= 4 ? Pattern{0, digits, digits} : never};
  }
  return t;
}();

}  // namespace

// The tokens' starts and ends first, as a list of offsets: a token is a
// run of number characters, which starts where one follows something else
// and ends at the first byte after it; so the offsets alternate, start and
// end. Then token by token in 64-bit arithmetic, each from eight-byte
// loads, with nothing carried from one to the next: each token loaded by
// its end, a real in cents form kept as that text and an integer of one to
// four digits read from its four bytes, and any other value loaded again by
// its start and made with no branch on its form. The whole line is checked by
// its masks before its tokens are read, and each value is stored as it is
// read: a token that turns out not to be one the scan takes is met before
// its item is stored, and the items before it are reached and stored again
// by the other levels, which then read the line from its start.
//
// The masks of one line, a bit a byte, byte 0 (bit 0) first, as simdjson
// draws its scanner's ("1" set, "." clear; "$" the line end):
//
//   byte     0123456789012345678901234
//   text     3 12 90 8 30 -25.69,81.5$
//   number   1.11.11.1.11.111111.1111.   a digit, point or sign (classify)
//   sign     .............1...........
//   comma    ...................1.....
//   after    .1.11.11.1.11.111111.1111   number, a byte up: follows one
//   edges    111.11.1111.11.....11...1   number ^ after: each token's start and end
//   starts   1.1..1..1.1..1......1....   number & ~after
//
// flatten() lists the edges as offsets, 0 1 | 2 4 | 5 7 | 8 9 | 10 12 |
// 13 19 | 20 24, each token's start and the byte after it. only_tokens()
// checks the masks: a sign only at a start (13), no comma before the first
// start, and no two commas between two starts: ~starts + comma carries each
// run's commas into the run, so that a comma above the run's lowest is set
// in the sum, which the one comma at 19 is not. The tokens are then read
// one by one: "-25.69" of length 6, after a minus, has the cents pattern
// and is kept as its text; "12" and "90" are integers of two digits; "81.5"
// is loaded by its start and made.
std::size_t scan_line(const char* s, std::span<const Item> items) {
  const std::size_t n = items.size();
  if (n == 0 || n > kLineItems) return 0;
  const Classes c0 = classify(s);
  const Classes c1 = c0.line_end == 64 ? classify(s + 64) : Classes{0, 0, 0, 0};
  // The window reaches into the lines after this one: its tokens are
  // those before the line's end, and their last end may stand on it.
  const Mask line = below(std::min(128u, 1 + (c0.line_end < 64 ? c0.line_end : 64 + c1.line_end)));
  // The bytes that follow a number character, across the halves: a token
  // starts where a number character follows none, and ends where a byte
  // that is none follows one.
  const std::uint64_t after0 = c0.number << 1;
  const std::uint64_t after1 = (c1.number << 1) | (c0.number >> 63);
  const std::uint64_t edges0 = (c0.number ^ after0) & line.low;
  const std::uint64_t edges1 = (c1.number ^ after1) & line.high;
  unsigned at[128 + 4];
  unsigned found = flatten(edges0, 0, at);
  // A run that reaches the window's end has no end in it, so that a line
  // whose n-th token does not end in the window has fewer than 2n edges.
  if (found < 2 * n) found += flatten(edges1, 64, at + found);
  if (found < 2 * n) return 0;
  // The line checked by its masks first, which are then no longer needed.
  const unsigned last_end = at[2 * n - 1];
  const Mask starts{c0.number & ~after0, c1.number & ~after1};
  if (!only_tokens(s, c0, c1, starts, at[0], last_end)) return 0;
  for (std::size_t k = 0; k < n; ++k) {
    const Item& item = items[k];
    const unsigned from = at[2 * k];
    const unsigned end = at[2 * k + 1];
    std::uint64_t len = end - from;
    if (len > 8) return 0;  // the whole token must be in the eight bytes loaded, and in kShapes
    // The token right-justified, blanks before it, as a kept text holds it.
    // The load starts at most seven bytes before the line, and ends at the
    // token's end, at most 128.
    const Shape& shape = kShapes[len];
    const std::uint64_t text = (load_word(s + end - 8) & shape.keep) | shape.blanks;
    if (item.kind == Item::Kind::real && (has(text, shape.plain) || has(text, shape.minus))) {
      // Kept as its text, it needs no value.
      item.store(Value(0.0f, text));
      continue;
    }
    // An integer of one to four digits: its last four bytes, digits and
    // the blanks before them, whose low four bits are 0. Their values d0 d1
    // d2 d3, from the lowest byte up, times 10 plus themselves a byte down
    // make 10 d0 + d1 in the lowest byte and 10 d2 + d3 in the third, each
    // below 100 so that nothing carries (the digit pairing of the SWAR
    // eight-digit parse of simdjson and fast_float, on four).
    if (item.kind == Item::Kind::integer && has(text, shape.short_int)) {
      const std::uint32_t d = static_cast<std::uint32_t>(text >> 32) & 0x0f0f0f0fu;
      const std::uint32_t pairs = (d * 10 + (d >> 8)) & 0x00ff00ffu;
      // Two digits, as most are, from their byte pair alone.
      item.store(
          static_cast<std::int32_t>(len <= 2 ? pairs >> 16 : (pairs & 0xff) * 100 + (pairs >> 16)));
      continue;
    }
    // A sign opens the token: taken off, with its length. (A token's start,
    // below 128: the load is in reach.)
    std::uint64_t w = load_word(s + from);
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
    std::uint64_t bad = point_bit & (point_bit - 1);  // two points
    const std::uint64_t has_point = point_bit != 0 ? 1 : 0;
    bad |= len <= has_point ? 1 : 0;  // no digit (a sign alone leaves len 0)
    // The point taken out: the whole-number digits below it move up one byte.
    const std::uint64_t below_point = point_bit - has_point;
    const std::uint64_t digits =
        (tok & ~(below_point | point_bit * 0xff)) | ((tok & below_point) << 8);
    const std::uint32_t value = eight_digits_value(digits);
    if (item.kind == Item::Kind::real) {
      // Decimals: the bytes above the point (none without one: the top
      // bit's byte then stands in for it).
      const int frac = 7 - std::countr_zero(point_bit | std::uint64_t{1} << 63) / 8;
      if ((bad | (value > kExactDigits ? 1 : 0)) != 0) return 0;
      const float v = exact_quotient(value, frac);
      item.store(Value(neg ? -v : v));
    } else if (item.kind == Item::Kind::integer) {
      if ((bad | has_point) != 0) return 0;
      item.store(to_int32(value, neg));
    } else {
      return 0;
    }
  }
  return last_end;
}

}  // namespace textio
