// Every minute of every day of 1900 to 2099 (and days 0 and 32, hours 24
// and minutes 60, which the records may hold), through the gregorian time
// base against its steps taken one by one, the leap days added one at a
// time; and every minute of 1989 to 1999 through both calendars, which must
// agree to the last bit, the years written in two digits and in four.
#include <bit>
#include <cstdint>
#include <cstdio>

#include "records/calendar.h"
#include "records/timebase.h"

namespace {

// The epoch-day time by its steps: the years' days, then 1.0 added for each
// leap day since 1989 (taken away for each before it), one at a time.
float stepwise_bigx(float x, int y) {
  float bigx = x + static_cast<float>((y - 1989) * 365);
  for (int l = 1989; l < y; ++l)
    if (records::gregorian_leap(l)) bigx = bigx + 1.0f;
  for (int l = y; l < 1989; ++l)
    if (records::gregorian_leap(l)) bigx = bigx - 1.0f;
  return bigx;
}

bool same(float a, float b) {
  return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}

}  // namespace

int main() {
  std::uint64_t checked = 0, wrong = 0;
  for (int y = records::kFirstYear; y <= records::kLastYear; ++y) {
    const records::GregorianYear g = records::gregorian(y);
    const bool classic = y >= 1989 && y <= 1999;
    const records::GregorianYear g2 = records::gregorian(y % 100);
    for (int m = 1; m <= 12; ++m) {
      for (int d = 0; d <= 32; ++d) {
        for (int h = 0; h <= 24; ++h) {
          for (int mi = 0; mi <= 60; ++mi) {
            records::Observation o{m, d, y, h, mi};
            const records::Times t = records::compute_times(o, g);
            // The day-of-year time is the classic steps' with the leap day
            // of the year's own calendar.
            records::Observation two{m, d, 89, h, mi};
            float x = records::compute_times(two).x;
            if (g.leap && m >= 3) x = x + 1.0f;
            bool ok = same(t.x, x) && same(t.bigx, stepwise_bigx(x, y));
            if (y >= 1989 && y <= 2088) {
              o.year = y % 100;
              const records::Times t2 = records::compute_times(o, g2);
              ok = ok && same(t2.x, t.x) && same(t2.bigx, t.bigx);
            }
            if (classic) {
              const records::Times c = records::compute_times(o);
              ok = ok && same(c.x, t.x) && same(c.bigx, t.bigx);
            }
            ++checked;
            if (!ok && wrong++ < 10) std::printf("wrong: %d-%02d-%02d %02d:%02d\n", y, m, d, h, mi);
          }
        }
      }
    }
  }
  std::printf("%llu records checked, %llu wrong\n", static_cast<unsigned long long>(checked),
              static_cast<unsigned long long>(wrong));
  return wrong == 0 ? 0 : 1;
}
