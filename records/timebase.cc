#include "records/timebase.h"

#include <array>
#include <cfloat>

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

}  // namespace records
