// The rules the line scan draws from a line's byte classes: where the
// tokens start and end, and whether the line holds nothing but tokens parted
// by blanks up to its last one.
#pragma once

#include <cstdint>

#include "textio/chars.h"

namespace textio {

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

}  // namespace textio
