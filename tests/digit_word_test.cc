#include "textio/digit_word.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <random>

namespace {

using textio::PlainDecimal;

// The same reading, one byte at a time: a sign, digits with at most one
// point, at least one digit, and a byte that ends a number, all within the
// eight bytes (a sign pushes them one byte on, so the last is not seen).
int reference(const unsigned char* b, PlainDecimal& out) {
  int i = 0;
  out = PlainDecimal{0, 0, false, false};
  if (b[0] == '-' || b[0] == '+') {
    out.neg = b[0] == '-';
    i = 1;
  }
  const int seen = 8 - i;  // bytes of the token and its end in view
  const unsigned char* t = b + i;
  int digits = 0;
  int k = 0;
  for (; k < seen; ++k) {
    unsigned char c = t[k];
    if (c >= '0' && c <= '9') {
      out.digits = out.digits * 10 + static_cast<std::uint32_t>(c - '0');
      ++digits;
      if (out.point) ++out.frac;
    } else if (c == '.' && !out.point) {
      out.point = true;
    } else {
      break;
    }
  }
  if (k == seen || digits == 0) return 0;
  unsigned char c = t[k];
  bool ends = c == ' ' || c == '\t' || c == '\n' || c == ',' || c == '/' ||
              (c == '\r' && k + 1 < seen && t[k + 1] == '\n');
  return ends ? i + k : 0;
}

void expect_same(const unsigned char* b) {
  std::uint64_t w = 0;
  for (int i = 0; i < 8; ++i) w |= std::uint64_t{b[i]} << (8 * i);
  PlainDecimal want;
  PlainDecimal got;
  const int want_len = reference(b, want);
  const int got_len = textio::plain_decimal(w, got);
  ASSERT_EQ(got_len, want_len) << std::hex << w;
  if (want_len == 0) return;
  ASSERT_EQ(got.digits, want.digits) << std::hex << w;
  ASSERT_EQ(got.frac, want.frac) << std::hex << w;
  ASSERT_EQ(got.point, want.point) << std::hex << w;
  ASSERT_EQ(got.neg, want.neg) << std::hex << w;
}

// Every word of seven bytes drawn from the characters that matter (digits,
// the point, signs, every kind of end, the bytes next to '0' and '9', a NUL
// and a byte with its high bit set), with an eighth that turns with them.
TEST(DigitWord, PlainDecimalMatchesAByteLoop) {
  const unsigned char alphabet[] = {'0',  '7',  '9', '.', '-', '+', ' ',
                                    '\r', '\n', '/', ':', 0,   0xb5};
  constexpr int kSize = sizeof alphabet;
  const unsigned char eighth[] = {'\n', '4', ' ', '\r'};
  unsigned char b[8];
  int idx[7] = {};
  for (std::uint64_t count = 0;; ++count) {
    for (int i = 0; i < 7; ++i) b[i] = alphabet[idx[i]];
    b[7] = eighth[count % 4];
    expect_same(b);
    if (HasFatalFailure()) return;
    int i = 0;
    while (i < 7 && ++idx[i] == kSize) idx[i++] = 0;
    if (i == 7) break;
  }
}

// Random words over every byte value, tilted towards digits so that long
// tokens turn up too.
TEST(DigitWord, PlainDecimalOnRandomWords) {
  std::mt19937_64 rng(42);
  unsigned char b[8];
  for (int n = 0; n < 4'000'000; ++n) {
    std::uint64_t r = rng();
    for (int i = 0; i < 8; ++i) {
      unsigned char byte = static_cast<unsigned char>(r >> (8 * i));
      b[i] = (byte & 3) != 0 ? static_cast<unsigned char>('0' + byte % 10)
                             : static_cast<unsigned char>(rng());
    }
    expect_same(b);
    if (HasFatalFailure()) return;
  }
}

}  // namespace
