// The decimal rules every reading path shares: the 32-bit range of an
// integer, and the exact step that turns a short decimal into its float.
#pragma once

#include <cstdint>
#include <iterator>

namespace textio {

// The largest magnitude a 32-bit integer of the given sign holds: 2^31 - 1,
// or 2^31 when negative.
constexpr std::uint64_t int32_magnitude(bool neg) {
  return neg ? 2147483648u : 2147483647u;
}

// The integer of magnitude m (at most int32_magnitude(neg)) and the given
// sign; taking it away from zero in unsigned arithmetic is defined for 2^31.
constexpr std::int32_t to_int32(std::uint64_t m, bool neg) {
  const auto u = static_cast<std::uint32_t>(m);
  return static_cast<std::int32_t>(neg ? 0u - u : u);
}

// The powers of ten 10^0 to 10^10, each exact as a float.
inline constexpr float kPow10[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                   1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

// The most digits the exact step takes: every integer up to 2^24 is an
// exact float.
constexpr std::uint32_t kExactDigits = 1u << 24;

// True when the exact step takes digits times or over 10^power: both are
// then exact floats.
constexpr bool exact_step_takes(std::uint64_t digits, int power) {
  return digits <= kExactDigits && power >= 0 && power < static_cast<int>(std::size(kPow10));
}

// The exact step (Clinger's fast path, W. D. Clinger, "How to read floating
// point numbers accurately", PLDI 1990): digits / 10^frac where
// exact_step_takes(digits, frac). Both operands are exact floats, so the one
// IEEE division rounds the true quotient correctly.
inline float exact_quotient(std::uint32_t digits, int frac) {
  return static_cast<float>(digits) / kPow10[frac];
}

// What the general path makes of one number token as it scans it: the
// sign, the significant digits and the decimal exponent, so that its value
// is 0.digits times ten to the power exp10; then its conversion to the
// item's kind.
class Decimal {
 public:
  // Digits kept of a real's mantissa. The decimal expansion of a point
  // halfway between two floats has at most 112 significant digits, so the
  // first 120 and whether anything non-zero follows decide the rounding exactly.
  static constexpr int kMaxDigits = 120;
  // The digits before any point stop growing here; past it, every value is
  // out of every range.
  static constexpr std::uint64_t kIntCap = 100000000000000000ull;  // 1e17

  bool neg = false;
  bool point = false;
  bool exponent = false;
  bool exp_neg = false;

  // Takes a digit before the point, after it, or of the exponent.
  void int_digit(int d);
  void frac_digit(int d);
  void exp_digit(int d);
  // True once a digit of the mantissa has been taken.
  bool any_digit() const { return any_digit_; }
  // The digits before any point, saturated at kIntCap: a repeat count.
  std::uint64_t int_value() const { return int_value_; }

  // The value as a 32-bit integer: not_a_number with a point or an exponent,
  // out_of_range past 32 bits.
  enum class Fit { ok, not_a_number, out_of_range };
  Fit to_int(std::int32_t& out) const;
  // The float nearest to the value, ties to even; out_of_range past the floats.
  Fit to_float(float& out) const;

 private:
  static constexpr std::int64_t kExpCap = 1000000000000ll;  // 1e12, as kIntCap
  void keep(int d);
  bool exact_step(int e, float& v) const;
  bool library_conversion(int e, float& v) const;

  bool any_digit_ = false;
  bool sticky_ = false;          // a non-zero digit past the kept ones
  int ndig_ = 0;                 // significant digits kept
  std::uint64_t int_value_ = 0;  // the digits before any point, saturated at kIntCap
  std::int64_t exp10_ = 0;
  std::int64_t exp_value_ = 0;  // the exponent part, saturated at kExpCap
  char digits_[kMaxDigits];
};

}  // namespace textio
