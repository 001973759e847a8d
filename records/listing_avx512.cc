// A record's listing line with AVX-512, all its fields at once: the two
// times, the five parts of the date and time and up to nine values, one in
// each 64-bit lane of two registers. Each lane is scaled in double (exact:
// a float times 1000 needs at most 34 bits), rounded to an integer ties to
// even as the field editor rounds, split into eight digits, its leading
// zeros turned into blanks and its sign put in by byte masks; one byte
// permute of both registers then lays the digits out in the line's columns,
// and the points, dashes, colon and line end are blended in. A field too
// wide for its column is written again by the field editor, which fills it
// with asterisks.
#include "records/listing_avx512.h"

#if VANTREL_AVX512

#include <array>
#include <bit>
#include <cstdint>

#include "records/field_edit.h"

// GCC 12's AVX-512 headers start many results from a deliberately undefined
// vector, which its own flow analysis then reports as maybe uninitialized.
#pragma GCC diagnostic push
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

namespace records {

namespace {

// One field of the line, in the lane of its number.
struct Field {
  int column;  // first character in the line
  int width;
  int decimals;  // 0 for the integers
  int keep;      // digits kept even when zero: the units and the decimals, or two
};

constexpr int kTimeLanes = 7;
constexpr int kLineValues = 9;

// Lanes 0 to 6: the times and the date; lanes 7 to 15: the values; all
// from the listing's layout.
constexpr std::array<Field, 16> kFields = [] {
  std::array<Field, 16> f{};
  auto field = [](const Column& c, int first) {
    return Field{first, c.width, c.decimals, c.decimals > 0 ? c.decimals + 1 : kIntDigits};
  };
  for (int k = 0; k < 2; ++k) f[k] = field(kTimeColumns[k], kTimeColumns[k].first);
  for (int k = 0; k < 5; ++k) f[2 + k] = field(kDateColumns[k], kDateColumns[k].first);
  for (int k = 0; k < kLineValues; ++k)
    f[kTimeLanes + k] = field(kFirstValue, kFirstValue.first + k * kFirstValue.width);
  return f;
}();

// The digits a field holds: all its characters but the point.
constexpr int field_digits(const Field& f) {
  return f.decimals > 0 ? f.width - 1 : f.width;
}

// How the 128 characters that two permutes can fill are made for a line of
// n values: from a byte of the lanes' digits, or from a constant.
struct Layout {
  std::uint8_t source[128];    // lane * 8 + byte; lanes 8 to 15 come from the second register
  char constant[128];          // the character where it is a constant
  std::uint64_t constants[2];  // which of the characters are constants, in each half
  unsigned length;             // characters in the line, its line end included
};

constexpr std::array<Layout, kLineValues + 1> kLayouts = [] {
  std::array<Layout, kLineValues + 1> all{};
  for (int n = 0; n <= kLineValues; ++n) {
    Layout& l = all[static_cast<std::size_t>(n)];
    auto put_constant = [&l](int j, char c) {
      l.constant[j] = c;
      l.constants[j / 64] |= std::uint64_t{1} << (j % 64);
    };
    for (int lane = 0; lane < kTimeLanes + n; ++lane) {
      const Field& f = kFields[lane];
      const int digits = field_digits(f);
      // The field's digits are the last `digits` bytes of the lane.
      int byte = 8 - digits;
      for (int c = 0; c < f.width; ++c) {
        if (f.decimals > 0 && c == f.width - f.decimals - 1) {
          put_constant(f.column + c, '.');
        } else {
          l.source[f.column + c] = static_cast<std::uint8_t>(lane * 8 + byte++);
        }
      }
    }
    for (const Literal& lit : kLiterals) {
      for (int c = 0; lit.text[c] != '\0'; ++c) put_constant(lit.first + c, lit.text[c]);
    }
    const int end = kFirstValue.first + n * kFirstValue.width;
    l.length = static_cast<unsigned>(end + 1);
    put_constant(end, '\n');
  }
  return all;
}();

// Per lane of one register: the scale 10^decimals, the bound the scaled value
// must stay below (10^digits), the kept digits' bytes, and the bytes where
// the fields start.
struct Shapes {
  double scale[8];
  double bound[8];
  std::uint64_t kept;
  std::uint64_t first;
};

constexpr Shapes shapes(int from) {
  Shapes s{};
  for (int i = 0; i < 8; ++i) {
    const Field& f = kFields[from + i];
    double scale = 1;
    for (int d = 0; d < f.decimals; ++d) scale *= 10;
    double bound = 1;
    for (int d = 0; d < field_digits(f); ++d) bound *= 10;
    s.scale[i] = scale;
    s.bound[i] = bound;
    s.kept |= std::uint64_t{1} << (8 * i + 8 - f.keep);
    s.first |= std::uint64_t{1} << (8 * i + 8 - field_digits(f));
  }
  return s;
}

constexpr Shapes kShapes[2] = {shapes(0), shapes(8)};

// The eight fields of one register. in holds each lane's 32 bits: a float
// where float_lanes has a bit, an int32 elsewhere. Returns the characters,
// the last `digits` bytes of each lane, and sets the lanes whose field does
// not fit in too_wide.
VANTREL_AVX512_TARGET inline __m512i edit_lanes(__m256i in, __mmask8 float_lanes, const Shapes& s,
                                                __mmask8& too_wide) {
  const __m512d value = _mm512_mask_blend_pd(float_lanes, _mm512_cvtepi32_pd(in),
                                             _mm512_cvtps_pd(_mm256_castsi256_ps(in)));
  const __m512d a = _mm512_mul_pd(_mm512_abs_pd(value), _mm512_loadu_pd(s.scale));
  const __m512d r = _mm512_roundscale_pd(a, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
  // NaNs fail the test, as do infinities and values too wide.
  const __mmask8 fits = _mm512_cmp_pd_mask(r, _mm512_loadu_pd(s.bound), _CMP_LT_OQ);
  // The sign bit of the float or of the int32 alike.
  const __mmask8 neg = _mm256_movepi32_mask(in);
  const __m512i q = _mm512_cvtepu32_epi64(_mm512_maskz_cvttpd_epu32(fits, r));

  // q < 10^8 into its two four-digit halves, the first in the lane's low
  // 32 bits: q / 10^4 is (q * ceil(2^40 / 10^4)) >> 40 for every q below 10^8.
  // Division by a constant as a multiply and a shift (T. Granlund,
  // P. Montgomery, "Division by invariant integers using multiplication",
  // PLDI 1994); each bound here was checked over its whole range.
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

  // A byte of each lane set for every non-zero digit and for the first kept
  // one; the blanks are then the bytes below each lane's lowest set one (no
  // lane is all zeros, so nothing borrows across lanes: x - 1 & ~x keeps the
  // bits below the lowest set bit, here a byte at a time), and a minus sign
  // goes in the last of them. A negative number whose field starts with a
  // digit has no room for its sign.
  const std::uint64_t nonzero = _cvtmask64_u64(_mm512_test_epi8_mask(digits, digits)) | s.kept;
  const std::uint64_t blanks = (nonzero - 0x0101010101010101ull) & ~nonzero;
  const std::uint64_t last_blank = blanks & ~(blanks >> 1);
  const auto room = static_cast<__mmask8>(_pext_u64(blanks, s.first));
  too_wide = static_cast<__mmask8>(~fits | (neg & ~room));
  const std::uint64_t minus = last_blank & (_pdep_u64(neg, 0x0101010101010101ull) * 0xff);

  __m512i text = _mm512_add_epi8(digits, _mm512_set1_epi8('0'));
  text = _mm512_mask_blend_epi8(_cvtu64_mask64(blanks), text, _mm512_set1_epi8(' '));
  return _mm512_mask_blend_epi8(_cvtu64_mask64(minus), text, _mm512_set1_epi8('-'));
}

}  // namespace

VANTREL_AVX512_TARGET std::size_t format_listing_avx512(char* out, const Observation& obs, Times t,
                                                        std::int32_t nval) {
  const int n = nval < 0 ? 0 : nval;
  if (n > kLineValues) return 0;
  const __m256i first_in = _mm256_setr_epi32(
      std::bit_cast<std::int32_t>(t.x), std::bit_cast<std::int32_t>(t.bigx), obs.month, obs.day,
      obs.year, obs.hour, obs.min, std::bit_cast<std::int32_t>(obs.val[0]));
  const auto rest = static_cast<__mmask8>((1u << (n > 1 ? n - 1 : 0)) - 1);
  const __m256i second_in =
      _mm256_castps_si256(_mm256_maskz_loadu_ps(rest, obs.val + 1));  // values 2 to 9
  __mmask8 too_wide_first;
  __mmask8 too_wide_second;
  const __m512i first = edit_lanes(first_in, 0x83, kShapes[0], too_wide_first);
  const __m512i second = edit_lanes(second_in, 0xff, kShapes[1], too_wide_second);

  const Layout& l = kLayouts[static_cast<std::size_t>(n)];
  const __m512i low =
      _mm512_mask_blend_epi8(_cvtu64_mask64(l.constants[0]),
                             _mm512_permutex2var_epi8(first, _mm512_loadu_si512(l.source), second),
                             _mm512_loadu_si512(l.constant));
  const __m512i high = _mm512_mask_blend_epi8(
      _cvtu64_mask64(l.constants[1]),
      _mm512_permutex2var_epi8(first, _mm512_loadu_si512(l.source + 64), second),
      _mm512_loadu_si512(l.constant + 64));
  if (l.length >= 64) {  // every shift below then stays under 64
    _mm512_storeu_si512(out, low);
    _mm512_mask_storeu_epi8(out + 64, _cvtu64_mask64((std::uint64_t{1} << (l.length - 64)) - 1),
                            high);
  } else {
    _mm512_mask_storeu_epi8(out, _cvtu64_mask64((std::uint64_t{1} << l.length) - 1), low);
  }

  // Fields too wide for their columns: rare, and left to the field editor.
  const std::uint32_t lanes = (std::uint32_t{1} << (kTimeLanes + n)) - 1;
  std::uint32_t too_wide = (too_wide_first | std::uint32_t{too_wide_second} << 8) & lanes;
  while (too_wide != 0) {
    const int lane = std::countr_zero(too_wide);
    too_wide &= too_wide - 1;
    const Field& f = kFields[lane];
    if (lane == 0) {
      edit_real(out + f.column, t.x, f.width, f.decimals);
    } else if (lane == 1) {
      edit_real(out + f.column, t.bigx, f.width, f.decimals);
    } else if (lane < kTimeLanes) {
      const std::int32_t parts[] = {obs.month, obs.day, obs.year, obs.hour, obs.min};
      edit_int(out + f.column, parts[lane - 2], f.width, kIntDigits);
    } else {
      edit_real(out + f.column, obs.val[lane - kTimeLanes], f.width, f.decimals);
    }
  }
  return l.length;
}

}  // namespace records

#pragma GCC diagnostic pop

#endif
