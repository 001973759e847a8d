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

// The quotient q / d for each q below n, as the division gives it: one
// division of two floats has one IEEE result, which the compiler's
// constant arithmetic gives as the machine's does, so a lookup changes no
// bit. It takes the division's wait off the record's time (a division is
// many times slower than the additions around it).
template <std::size_t n>
constexpr std::array<float, n> quotients(float d) {
  std::array<float, n> q{};
  for (std::size_t i = 0; i < n; ++i) q[i] = static_cast<float>(i) / d;
  return q;
}
constexpr auto kHourDays = quotients<24>(24.0f);
constexpr auto kMinuteDays = quotients<60>(1440.0f);

// v / d, from table where v is in it.
template <std::size_t n>
float days(std::int32_t v, const std::array<float, n>& table, float d) {
  const auto u = static_cast<std::uint32_t>(v);
  return u < n ? table[u] : static_cast<float>(v) / d;
}

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
  float t2 = days(obs.hour, kHourDays, 24.0f);  // obs.hour / 24
  float t3 = t1 + t2;
  float t4 = days(obs.min, kMinuteDays, 1440.0f);  // obs.min / 1440
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
