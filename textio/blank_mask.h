// Where the blanks are in 64 bytes of text, as one bit a byte: lets the reader
// find every token of a line at once, so that reading one token need not wait
// for the reading of the one before it to learn where it starts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "textio/chars.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace textio {

// Bit i is set when p[i] is a blank (is_blank: a space or a tab); sixteen
// bytes at a time where the machine has SSE2, byte by byte elsewhere. A
// byte compare and a movemask make one bit a byte, as simdjson classifies
// its input (G. Langdale, D. Lemire, "Parsing gigabytes of JSON per
// second", VLDB Journal 28, 2019).
inline std::uint64_t blank_mask(const char* p) {
#if defined(__SSE2__)
  const __m128i blank = _mm_set1_epi8(kBlanks[0]);
  const __m128i tab = _mm_set1_epi8(kBlanks[1]);
  std::uint64_t m = 0;
  for (std::size_t i = 0; i < 4; ++i) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    const __m128i is = _mm_or_si128(_mm_cmpeq_epi8(v, blank), _mm_cmpeq_epi8(v, tab));
    m |= std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(is))} << (16 * i);
  }
  return m;
#else
  std::uint64_t m = 0;
  for (int i = 0; i < 64; ++i) m |= std::uint64_t{is_blank(p[i])} << i;
  return m;
#endif
}

}  // namespace textio
