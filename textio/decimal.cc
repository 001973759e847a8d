#include "textio/decimal.h"

#include <charconv>
#include <cstring>
#include <system_error>

namespace textio {

void Decimal::int_digit(int d) {
  any_digit_ = true;
  if (int_value_ < kIntCap) int_value_ = int_value_ * 10 + static_cast<unsigned>(d);
  if (ndig_ == 0 && d == 0) return;  // leading zeros carry nothing
  keep(d);
  ++exp10_;
}

void Decimal::frac_digit(int d) {
  any_digit_ = true;
  if (ndig_ == 0 && d == 0) {
    --exp10_;
    return;
  }
  keep(d);
}

void Decimal::exp_digit(int d) {
  if (exp_value_ < kExpCap) exp_value_ = exp_value_ * 10 + d;
}

void Decimal::keep(int d) {
  if (ndig_ < kMaxDigits) {
    digits_[ndig_++] = static_cast<char>('0' + d);
  } else if (d != 0) {
    sticky_ = true;
  }
}

Decimal::Fit Decimal::to_int(std::int32_t& out) const {
  if (point || exponent) return Fit::not_a_number;
  if (int_value_ > int32_magnitude(neg)) return Fit::out_of_range;
  out = to_int32(int_value_, neg);
  return Fit::ok;
}

Decimal::Fit Decimal::to_float(float& out) const {
  float v = 0.0f;
  if (ndig_ > 0) {
    const std::int64_t e = exp10_ + (exp_neg ? -exp_value_ : exp_value_);
    if (e > 39) return Fit::out_of_range;  // at least 1e38 * 10 > FLT_MAX
    if (e < -45) {
      v = 0.0f;  // below half the smallest subnormal: rounds to zero
    } else if (!exact_step(static_cast<int>(e), v) && !library_conversion(static_cast<int>(e), v)) {
      return Fit::out_of_range;
    }
  }
  out = neg ? -v : v;
  return Fit::ok;
}

// The exact step: a mantissa of at most 24 bits and a power of ten that a
// float holds exactly give the correctly rounded value in one operation.
bool Decimal::exact_step(int e, float& v) const {
  if (sticky_ || ndig_ > 8) return false;
  std::uint32_t m = 0;
  for (int i = 0; i < ndig_; ++i) m = m * 10 + static_cast<std::uint32_t>(digits_[i] - '0');
  const int k = e - ndig_;
  if (!exact_step_takes(m, k < 0 ? -k : k)) return false;
  v = k < 0 ? exact_quotient(m, -k) : static_cast<float>(m) * kPow10[k];
  return true;
}

// Everything else goes through the library's correctly rounded conversion,
// given the kept digits and, for whatever non-zero digits followed them, a 1.
bool Decimal::library_conversion(int e, float& v) const {
  char text[kMaxDigits + 16];
  char* p = text;
  *p++ = '0';
  *p++ = '.';
  std::memcpy(p, digits_, static_cast<std::size_t>(ndig_));
  p += ndig_;
  if (sticky_) *p++ = '1';
  *p++ = 'e';
  p = std::to_chars(p, text + sizeof text, e).ptr;
  const auto r = std::from_chars(text, p, v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    if (e > 0) return false;
    v = 0.0f;  // underflow: the nearest float is zero
  }
  return true;
}

}  // namespace textio
