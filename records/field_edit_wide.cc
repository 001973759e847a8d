// The listing's value columns, eight F9.2 fields at a time with AVX-512: the
// same fields edit_real writes, one value in each 64-bit lane. A value is
// scaled in double, where v * 100 is exact, rounded to an integer ties to
// even, split into its eight digits by multiply-shift steps, its leading
// zeros turned into blanks and its sign put in by byte masks, and the point
// let in by one byte permute of the whole group.
#include "records/field_edit.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define VANTREL_WIDE_EDIT 1
#if defined(__GNUC__) && !defined(__clang__)
// GCC 12's AVX-512 headers start many results from a deliberately undefined
// vector, which its own flow analysis then reports as maybe uninitialized.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#endif

#include <cstdint>

namespace records {

#if defined(VANTREL_WIDE_EDIT)

#define VANTREL_WIDE __attribute__((target("avx512f,avx512bw,avx512vl,avx512dq,avx512vbmi")))

namespace {

// The byte of the eight digit lanes (or, from 64 on, of the lane's point or
// asterisk) that each of the 72 characters of eight F9.2 fields is: six
// whole-number places, the point, two decimals.
constexpr std::uint8_t field_source(int j) {
  const int lane = j / 9;
  const int pos = j % 9;
  if (pos < 6) return static_cast<std::uint8_t>(8 * lane + pos);
  if (pos == 6) return static_cast<std::uint8_t>(64 + 8 * lane);
  return static_cast<std::uint8_t>(8 * lane + pos - 1);
}

struct Permutes {
  std::uint8_t first[64];
  std::uint8_t rest[64];  // characters 64 to 71, then unused
};

constexpr Permutes kPermutes = [] {
  Permutes p{};
  for (int j = 0; j < 64; ++j) p.first[j] = field_source(j);
  for (int j = 0; j < 8; ++j) p.rest[j] = field_source(64 + j);
  return p;
}();

// Writes the k (1 to 8) values at v as F9.2 fields at out, 9k characters.
VANTREL_WIDE inline void edit_group(char* out, const float* v, int k) {
  const auto lanes = static_cast<__mmask8>((1u << k) - 1);
  const __m256 f = _mm256_maskz_loadu_ps(lanes, v);
  // |v| * 100 is exact in double (24 bits times 7), and rounding it to an
  // integer ties to even is the field's rounding. NaNs, infinities and
  // values of nine digits or more fail the test: their fields are asterisks.
  const __m512d a = _mm512_mul_pd(_mm512_abs_pd(_mm512_cvtps_pd(f)), _mm512_set1_pd(100.0));
  const __m512d r = _mm512_roundscale_pd(a, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  const __mmask8 fits = _mm512_cmp_pd_mask(r, _mm512_set1_pd(1e8), _CMP_LT_OQ);
  const __mmask8 neg = _mm256_movepi32_mask(_mm256_castps_si256(f));
  const __m512i q = _mm512_cvtepu32_epi64(_mm512_maskz_cvttpd_epu32(fits, r));

  // q < 10^8 into its two four-digit halves, the first in the lane's low
  // 32 bits: q / 10^4 is (q * ceil(2^40 / 10^4)) >> 40 for every q below 10^8.
  const __m512i hi = _mm512_srli_epi64(_mm512_mul_epu32(q, _mm512_set1_epi64(109951163)), 40);
  const __m512i lo = _mm512_sub_epi64(q, _mm512_mul_epu32(hi, _mm512_set1_epi64(10000)));
  const __m512i quads = _mm512_or_si512(hi, _mm512_slli_epi64(lo, 32));
  // Each half (below 10^4) into two pairs: x / 100 is (x * 5243) >> 19.
  const __m512i hundreds =
      _mm512_srli_epi32(_mm512_mullo_epi32(quads, _mm512_set1_epi32(5243)), 19);
  const __m512i pairs = _mm512_or_si512(
      hundreds,
      _mm512_slli_epi32(
          _mm512_sub_epi32(quads, _mm512_mullo_epi32(hundreds, _mm512_set1_epi32(100))), 16));
  // Each pair (below 100) into two digits: y / 10 is (y * 103) >> 10.
  const __m512i tens = _mm512_srli_epi16(_mm512_mullo_epi16(pairs, _mm512_set1_epi16(103)), 10);
  const __m512i digits = _mm512_or_si512(
      tens, _mm512_slli_epi16(
                _mm512_sub_epi16(pairs, _mm512_mullo_epi16(tens, _mm512_set1_epi16(10))), 8));

  // A byte of each lane set for every non-zero digit, and for the units
  // digit, which stays even when zero; the blanks are then the bytes below
  // each lane's lowest set one (no lane is all zeros, so nothing borrows
  // across lanes), and a minus sign goes in the last of them.
  const std::uint64_t nonzero =
      _cvtmask64_u64(_mm512_test_epi8_mask(digits, digits)) | 0x2020202020202020ull;
  const std::uint64_t blanks = (nonzero - 0x0101010101010101ull) & ~nonzero;
  const std::uint64_t last_blank = blanks & ~(blanks >> 1);
  const __mmask8 some_blank =
      _mm512_test_epi64_mask(_mm512_movm_epi8(blanks), _mm512_set1_epi8(-1));
  const __mmask8 stars = static_cast<__mmask8>(~fits | (neg & ~some_blank));
  const std::uint64_t neg_bytes = _cvtmask64_u64(_mm512_movepi8_mask(_mm512_movm_epi64(neg)));
  const std::uint64_t star_bytes = _cvtmask64_u64(_mm512_movepi8_mask(_mm512_movm_epi64(stars)));

  __m512i text = _mm512_add_epi8(digits, _mm512_set1_epi8('0'));
  text = _mm512_mask_blend_epi8(blanks, text, _mm512_set1_epi8(' '));
  text = _mm512_mask_blend_epi8(last_blank & neg_bytes, text, _mm512_set1_epi8('-'));
  text = _mm512_mask_blend_epi8(star_bytes, text, _mm512_set1_epi8('*'));
  const __m512i points =
      _mm512_mask_blend_epi8(star_bytes, _mm512_set1_epi8('.'), _mm512_set1_epi8('*'));

  const __m512i first = _mm512_permutex2var_epi8(text, _mm512_loadu_si512(kPermutes.first), points);
  const __m512i rest = _mm512_permutex2var_epi8(text, _mm512_loadu_si512(kPermutes.rest), points);
  const unsigned chars = 9u * static_cast<unsigned>(k);
  if (chars >= 64) {
    _mm512_storeu_si512(out, first);
    _mm512_mask_storeu_epi8(out + 64, _cvtu64_mask64((std::uint64_t{1} << (chars - 64)) - 1), rest);
  } else {
    _mm512_mask_storeu_epi8(out, _cvtu64_mask64((std::uint64_t{1} << chars) - 1), first);
  }
}

}  // namespace

VANTREL_WIDE void edit_reals_wide(char* out, const float* v, int n) {
  for (; n >= 8; n -= 8, v += 8, out += 72) edit_group(out, v, 8);
  if (n > 0) edit_group(out, v, n);
}

bool wide_edit_supported() {
  static const bool supported =
      __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq") &&
      __builtin_cpu_supports("avx512vbmi");
  return supported;
}

#else

void edit_reals_wide(char* out, const float* v, int n) {
  for (int i = 0; i < n; ++i) edit_real(out + 9 * i, v[i], 9, 2);
}

bool wide_edit_supported() {
  return false;
}

#endif

}  // namespace records
