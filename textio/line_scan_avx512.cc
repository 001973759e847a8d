// The line scan with AVX-512: the portable scan's steps, each done for
// eight tokens at once, one token in each 64-bit lane.
#include "textio/line_scan_avx512.h"

#if VANTREL_AVX512

#include <bit>
#include <cstring>

#include "textio/chars.h"
#include "textio/decimal.h"
#include "textio/line_masks.h"

// GCC 12's AVX-512 headers start many results from a deliberately undefined
// vector, which its own flow analysis then reports as maybe uninitialized.
#pragma GCC diagnostic push
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

namespace textio {

namespace {

VANTREL_AVX512_TARGET Classes classify(const char* p) {
  const __m512i v = _mm512_loadu_si512(p);
  const __mmask64 blank = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(kBlanks[0])) |
                          _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(kBlanks[1]));
  const __mmask64 digit =
      _mm512_cmple_epu8_mask(_mm512_sub_epi8(v, _mm512_set1_epi8('0')), _mm512_set1_epi8(9));
  const __mmask64 sign = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('+')) |
                         _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('-'));
  const __mmask64 point = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('.'));
  return {~(blank | digit | sign | point), digit | sign | point, sign};
}

// The offsets of the set bits of m0 (then of m1, plus 64) in order, one a
// byte: VBMI2's byte compress keeps the bytes of 0, 1, 2, ... that the mask
// selects, packed (as in simdjson's AVX-512 "flatten" of structural bits).
VANTREL_AVX512_TARGET void offsets(std::uint64_t m0, std::uint64_t m1, std::uint8_t* out) {
  alignas(64) static const std::uint8_t kIota[128] = {
      0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  15,  16,  17,  18,
      19,  20,  21,  22,  23,  24,  25,  26,  27,  28,  29,  30,  31,  32,  33,  34,  35,  36,  37,
      38,  39,  40,  41,  42,  43,  44,  45,  46,  47,  48,  49,  50,  51,  52,  53,  54,  55,  56,
      57,  58,  59,  60,  61,  62,  63,  64,  65,  66,  67,  68,  69,  70,  71,  72,  73,  74,  75,
      76,  77,  78,  79,  80,  81,  82,  83,  84,  85,  86,  87,  88,  89,  90,  91,  92,  93,  94,
      95,  96,  97,  98,  99,  100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 113,
      114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126, 127};
  _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(m0, _mm512_load_si512(kIota)));
  _mm512_storeu_si512(out + std::popcount(m0),
                      _mm512_maskz_compress_epi8(m1, _mm512_load_si512(kIota + 64)));
}

}  // namespace

VANTREL_AVX512_TARGET std::size_t scan_line_avx512(const char* s, std::span<const Item> items,
                                                   std::uint32_t* bits, std::uint64_t* texts) {
  const std::size_t n = items.size();
  if (n == 0 || n > kLineItems) return 0;
  std::uint32_t reals = 0;
  std::uint32_t keep_texts = 0;  // reals that may be kept as their texts
  for (std::size_t k = 0; k < n; ++k) {
    if (items[k].kind == Item::Kind::text) return 0;
    if (items[k].kind == Item::Kind::real) reals |= std::uint32_t{1} << k;
    if (items[k].cents_text != nullptr) keep_texts |= std::uint32_t{1} << k;
  }
  const Classes c0 = classify(s);
  const Classes c1 = classify(s + 64);
  const Tokens t = find_tokens(c0, c1);
  // The first n runs must all end in the window.
  if (static_cast<std::size_t>(std::popcount(t.ends[0])) +
          static_cast<std::size_t>(std::popcount(t.ends[1])) <
      n)
    return 0;
  alignas(64) std::uint8_t start_at[128];
  alignas(64) std::uint8_t end_at[128];
  offsets(t.starts[0], t.starts[1], start_at);
  offsets(t.ends[0], t.ends[1], end_at);
  const unsigned last_end = end_at[n - 1];
  if (!only_tokens(s, c0, c1, t, last_end)) return 0;

  const __m512i one = _mm512_set1_epi64(1);
  const __m512i bytes_0x30 = _mm512_set1_epi8(0x30);
  const __m512i low_bytes = _mm512_set1_epi8(1);
  const __m512i tens = _mm512_set1_epi16(0x010a);          // bytes 10, 1: a digit pair
  const __m512i hundreds = _mm512_set1_epi32(0x00010064);  // 100, 1: a pair of pairs
  const __m256 pow10 = _mm256_loadu_ps(kPow10);
  for (std::size_t b = 0; b < n; b += 8) {
    const __mmask8 lanes = static_cast<__mmask8>(n - b >= 8 ? 0xff : (1u << (n - b)) - 1);
    const __mmask8 real = static_cast<__mmask8>(reals >> b);
    const __m512i from =
        _mm512_cvtepu8_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(start_at + b)));
    const __m512i to =
        _mm512_cvtepu8_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(end_at + b)));
    __m512i w = _mm512_i64gather_epi64(from, s, 1);
    __m512i len = _mm512_sub_epi64(to, from);
    // The token right-justified, NULs before it: its text in cents form.
    const __m512i text =
        _mm512_sllv_epi64(w, _mm512_sub_epi64(_mm512_set1_epi64(64), _mm512_slli_epi64(len, 3)));
    // The whole token must be in the eight bytes loaded.
    __mmask8 bad = _mm512_cmpgt_epu64_mask(len, _mm512_set1_epi64(8));
    // A sign opens the token: taken off, with its length.
    const __m512i first = _mm512_and_si512(w, _mm512_set1_epi64(0xff));
    const __mmask8 sign = _mm512_cmpeq_epi64_mask(_mm512_or_si512(first, _mm512_set1_epi64(6)),
                                                  _mm512_set1_epi64(0x2f));
    const __mmask8 neg = _mm512_cmpeq_epi64_mask(first, _mm512_set1_epi64('-'));
    w = _mm512_srlv_epi64(w, _mm512_maskz_mov_epi64(sign, _mm512_set1_epi64(8)));
    len = _mm512_mask_sub_epi64(len, sign, len, one);
    bad |= _mm512_cmpeq_epi64_mask(len, _mm512_setzero_si512());
    // Digit values moved to the top of the lane, so that zeros lead: "3.25"
    // becomes 00 00 00 00 03 1e 02 05, where 1e is the point.
    const __m512i tok =
        _mm512_sllv_epi64(_mm512_xor_si512(w, bytes_0x30),
                          _mm512_sub_epi64(_mm512_set1_epi64(64), _mm512_slli_epi64(len, 3)));
    const __m512i point =
        _mm512_movm_epi8(_mm512_cmpeq_epi8_mask(tok, _mm512_set1_epi8('.' ^ 0x30)));
    const __m512i point_bit = _mm512_and_si512(point, low_bytes);
    bad |= _mm512_test_epi64_mask(point_bit, _mm512_sub_epi64(point_bit, one));  // two points
    const __mmask8 has_point = _mm512_test_epi64_mask(point_bit, point_bit);
    bad |= has_point & static_cast<__mmask8>(~real);  // a point in an integer
    bad |= _mm512_cmpeq_epi64_mask(_mm512_mask_sub_epi64(len, has_point, len, one),
                                   _mm512_setzero_si512());  // no digit
    // The point taken out: the whole-number digits below it move up one byte.
    const __m512i below = _mm512_maskz_sub_epi64(has_point, point_bit, one);
    const __m512i above = _mm512_ternarylogic_epi64(below, point, point, 0x01);  // ~(below | point)
    const __m512i digits = _mm512_or_si512(_mm512_and_si512(tok, above),
                                           _mm512_slli_epi64(_mm512_and_si512(tok, below), 8));
    // Decimals: the bytes above the point, 7 minus its byte.
    const __m512i frac = _mm512_maskz_srli_epi64(
        has_point, _mm512_sub_epi64(_mm512_lzcnt_epi64(point_bit), _mm512_set1_epi64(7)), 3);
    // Eight digits into one number: pairs, then groups of four, then the lane,
    // by multiply-adds of adjacent bytes and words (W. Muła, D. Lemire,
    // "Faster integer parsing", and simdjson's parse_eight_digits).
    const __m512i pairs = _mm512_maddubs_epi16(digits, tens);
    const __m512i quads = _mm512_madd_epi16(pairs, hundreds);
    const __m512i value = _mm512_add_epi64(_mm512_mul_epu32(quads, _mm512_set1_epi64(10000)),
                                           _mm512_srli_epi64(quads, 32));
    bad |= real &
           _mm512_cmpgt_epu64_mask(value, _mm512_set1_epi64(kExactDigits));  // not exact as a float
    if ((bad & lanes) != 0) return 0;
    // Cents form: one point, third from the end, a digit before it and no
    // leading zero but a lone one, no plus sign.
    const __mmask8 cents =
        static_cast<__mmask8>(keep_texts >> b) &
        _mm512_cmpeq_epi64_mask(point_bit, _mm512_set1_epi64(std::int64_t{1} << 40)) &
        _mm512_cmpge_epu64_mask(len, _mm512_set1_epi64(4)) &
        (_mm512_cmpeq_epi64_mask(len, _mm512_set1_epi64(4)) |
         _mm512_cmpneq_epi64_mask(_mm512_and_si512(w, _mm512_set1_epi64(0xff)),
                                  _mm512_set1_epi64('0'))) &
        _mm512_cmpneq_epi64_mask(first, _mm512_set1_epi64('+'));
    _mm512_mask_storeu_epi64(texts + b, lanes, _mm512_maskz_mov_epi64(cents, text));
    const __m256i m = _mm512_cvtepi64_epi32(value);
    // Both operands are exact floats, so the one division rounds correctly.
    const __m256 v = _mm256_div_ps(_mm256_cvtepi32_ps(m),
                                   _mm256_permutexvar_ps(_mm512_cvtepi64_epi32(frac), pow10));
    const __m256i fbits = _mm256_mask_xor_epi32(_mm256_castps_si256(v), neg, _mm256_castps_si256(v),
                                                _mm256_set1_epi32(INT32_MIN));
    const __m256i ibits = _mm256_mask_sub_epi32(m, neg, _mm256_setzero_si256(), m);
    _mm256_mask_storeu_epi32(
        bits + b, lanes,
        _mm256_mask_blend_epi32(cents, _mm256_mask_blend_epi32(real, ibits, fbits),
                                _mm256_set1_epi32(static_cast<std::int32_t>(kNoValue))));
  }
  return last_end;
}

}  // namespace textio

#pragma GCC diagnostic pop

#endif
