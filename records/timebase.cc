#include "records/timebase.h"

#include <array>
#include <cfloat>
#include <cmath>

// Every float operation here must round to single precision as it goes; a
// compiler that keeps floats in a wider format (x87) would change the last
// bit of the stored listings' times.
static_assert(FLT_EVAL_METHOD == 0, "floats must be evaluated in their own precision");

namespace records {

namespace {

// Days before each month in a year without a leap day.
constexpr std::int32_t monthl[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// v / d, looked up for each v below n: one division of two floats has one
// IEEE result, which the compiler's constant arithmetic gives as the
// machine's does, so a lookup changes no bit. It takes the division's wait
// off the record's time (a division is many times slower than the
// additions around it). Any other v is divided.
template <std::size_t n>
class Quotients {
 public:
  constexpr explicit Quotients(float d) : d_(d) {
    for (std::size_t i = 0; i < n; ++i) q_[i] = static_cast<float>(i) / d;
  }
  float operator()(std::int32_t v) const {
    const auto u = static_cast<std::uint32_t>(v);
    return u < n ? q_[u] : static_cast<float>(v) / d_;
  }

 private:
  float d_;
  std::array<float, n> q_{};
};
constexpr Quotients<24> kHourDays(24.0f);
constexpr Quotients<60> kMinuteDays(1440.0f);

// 32-bit arithmetic on the record's fields wraps as two's complement does,
// so that any value a file can hold gives a defined result.
std::int32_t wrap_add(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
std::int32_t wrap_mul(std::int32_t a, std::int32_t b) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

}  // namespace

Times compute_times(const Observation& obs) {
  // Every step is one single-precision operation in this order: the stored
  // listings were made that way, and any reordering changes the last bit.
  float t1 = static_cast<float>(wrap_add(wrap_add(obs.day, -1), monthl[obs.month - 1]));
  float t2 = kHourDays(obs.hour);  // obs.hour / 24
  float t3 = t1 + t2;
  float t4 = kMinuteDays(obs.min);  // obs.min / 1440
  float x = t3 + t4;
  // The two-digit years know only 1992 and 1996 as leap years: the stored
  // listings and traces were made so, and are compared against. Kept as it
  // is on purpose, whatever the calendar says of 1988 or 2000.
  if (leap_year(obs.year) && obs.month >= 3) x = x + 1.0f;

  float t5 = static_cast<float>(wrap_mul(wrap_add(obs.year, -89), 365));
  float bigx = x + t5;
  if (obs.year > 92) bigx = bigx + 1.0f;
  if (obs.year > 96) bigx = bigx + 1.0f;
  return {x, bigx};
}

GregorianYear gregorian(std::int32_t field) {
  GregorianYear y;
  y.field = field;
  y.year = gregorian_year(field);
  if (y.year == 0) return y;
  y.leap = gregorian_leap(y.year);
  y.days = static_cast<float>((y.year - 1989) * 365);
  y.leap_days = leap_days_since_epoch(y.year);
  return y;
}

Times compute_times(const Observation& obs, const GregorianYear& y) {
  float t1 = static_cast<float>(wrap_add(wrap_add(obs.day, -1), monthl[obs.month - 1]));
  float t2 = kHourDays(obs.hour);
  float t3 = t1 + t2;
  float t4 = kMinuteDays(obs.min);
  float x = t3 + t4;
  if (y.leap && obs.month >= 3) x = x + 1.0f;

  float bigx = x + y.days;
  // The leap days, one addition of 1.0 each (at most 27 from 1900 to 2099).
  // Where the sum lies between 64 and 2^22 days (every sane record), the
  // additions cross at most one power of two, so that the one rounding
  // they make is the one a single addition of their count makes: below the
  // power each is exact (1.0 is a whole number of the spacing of floats
  // there, at most 1/4), and past it the float spacing is the one the single
  // addition rounds to. Anywhere else they are added one by one.
  const float sum = std::fabs(bigx);
  if (sum >= 64.0f && sum < 4194304.0f) {
    bigx = bigx + static_cast<float>(y.leap_days);
  } else {
    for (int k = 0; k < y.leap_days; ++k) bigx = bigx + 1.0f;
    for (int k = 0; k > y.leap_days; --k) bigx = bigx - 1.0f;
  }
  return {x, bigx};
}

}  // namespace records
