// Fixed-column field editing: one number into a field of fixed width, the way
// the listing's columns need it.
#pragma once

#include <cstdint>

#include "textio/value.h"

namespace records {

// The two ASCII digits of every number below 100, "00" to "99", side by side.
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// True when v is written with at least two digits as the pair of
// kDigitPairs for it: 0 to 99.
constexpr bool two_digits(std::int32_t v) {
  return v >= 0 && v < 100;
}

// Widest field the editors handle.
constexpr int kMaxFieldWidth = 16;

// Writes v rounded to d decimals (ties to even, from its exact binary value),
// right-justified in exactly w characters at out, or w asterisks when it needs
// more; 1 <= d <= 6, d + 2 <= w <= kMaxFieldWidth. A 0 stands before the point
// of a value below 1, and a negative value keeps its minus sign even when it
// rounds to zero.
void edit_real(char* out, float v, int w, int d);
// edit_real for a field shape known where it is called, with no test of w
// and d at run time: built for the listing's (7, 3), (9, 3) and (9, 2)
// alone, so that another shape is an undefined reference when linked.
template <int w, int d>
void edit_real(char* out, float v);
extern template void edit_real<7, 3>(char* out, float v);
extern template void edit_real<9, 3>(char* out, float v);
extern template void edit_real<9, 2>(char* out, float v);

// Writes the n values at v into n fields 9 wide with 2 decimals side by
// side: a value kept as its text in cents form as that text, which is what
// edit_real would write of its float; any other as edit_real writes it.
void edit_cents(char* out, const textio::Value* v, int n);

// Writes v with at least m digits (zeros added on the left) and a minus sign
// when negative, right-justified in exactly w characters at out, or w
// asterisks when it needs more; 1 <= m <= w <= kMaxFieldWidth.
void edit_int(char* out, std::int32_t v, int w, int m);

}  // namespace records
