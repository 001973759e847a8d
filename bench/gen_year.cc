// Writes the benchmark data file: year 90, one record for every minute of the
// year except a two-day outage in February, each "month day yy hour minute"
// followed by nine logger-style values with two decimals between -50 and 900.
// The values come from a fixed-seed generator, so every run writes the same
// bytes.
//
//   gen_year OUTPUT [COPIES]
//
// COPIES (default 1) writes that many records for each minute, each with its
// own values; 4 copies make a file of about 157 MB.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kYear = 90;
constexpr int kValues = 9;
constexpr int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
// The outage: no records from 00:00 on 12 February to 23:59 on 13 February.
constexpr int kOutageMonth = 2;
constexpr int kOutageFirstDay = 12;
constexpr int kOutageLastDay = 13;

// splitmix64: small, fast and the same on every platform.
struct Rng {
  std::uint64_t state;
  std::uint64_t next() {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
};

char* put_uint(char* p, unsigned v) {
  char tmp[10];
  int n = 0;
  do {
    tmp[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  while (n > 0) *p++ = tmp[--n];
  return p;
}

// Writes cents / 100 with exactly two decimals, e.g. -4.07 or 812.50.
char* put_cents(char* p, int cents) {
  if (cents < 0) {
    *p++ = '-';
    cents = -cents;
  }
  auto u = static_cast<unsigned>(cents);
  p = put_uint(p, u / 100);
  *p++ = '.';
  *p++ = static_cast<char>('0' + u / 10 % 10);
  *p++ = static_cast<char>('0' + u % 10);
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s OUTPUT [COPIES]\n", argv[0]);
    return 2;
  }
  long copies = 1;
  if (argc == 3) {
    char* end = nullptr;
    copies = std::strtol(argv[2], &end, 10);
    if (end == argv[2] || *end != '\0' || copies < 1 || copies > 1000) {
      std::fprintf(stderr, "%s: COPIES must be 1 to 1000\n", argv[0]);
      return 2;
    }
  }
  std::FILE* out = std::fopen(argv[1], "wb");
  if (out == nullptr) {
    std::fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], std::strerror(errno));
    return 1;
  }

  Rng rng{0x5eed0090u};
  std::vector<char> buf(1 << 20);
  std::size_t used = 0;
  std::uint64_t records = 0;
  bool ok = true;
  auto flush = [&] {
    if (used != 0 && std::fwrite(buf.data(), 1, used, out) != used) ok = false;
    used = 0;
  };

  for (int month = 1; month <= 12 && ok; ++month) {
    for (int day = 1; day <= kDaysInMonth[month - 1]; ++day) {
      if (month == kOutageMonth && day >= kOutageFirstDay && day <= kOutageLastDay) continue;
      for (int hour = 0; hour < 24; ++hour) {
        for (int minute = 0; minute < 60; ++minute) {
          for (long c = 0; c < copies; ++c) {
            if (buf.size() - used < 256) flush();
            char* p = buf.data() + used;
            p = put_uint(p, static_cast<unsigned>(month));
            *p++ = ' ';
            p = put_uint(p, static_cast<unsigned>(day));
            *p++ = ' ';
            p = put_uint(p, kYear);
            *p++ = ' ';
            p = put_uint(p, static_cast<unsigned>(hour));
            *p++ = ' ';
            p = put_uint(p, static_cast<unsigned>(minute));
            for (int v = 0; v < kValues; ++v) {
              // -50.00 to 900.00: 95001 values of one cent each.
              int cents = static_cast<int>(rng.next() % 95001u) - 5000;
              *p++ = ' ';
              p = put_cents(p, cents);
            }
            *p++ = '\n';
            used = static_cast<std::size_t>(p - buf.data());
            ++records;
          }
        }
      }
    }
  }
  flush();
  if (std::fclose(out) != 0) ok = false;
  if (!ok) {
    std::fprintf(stderr, "%s: %s: write failed\n", argv[0], argv[1]);
    return 1;
  }
  std::fprintf(stderr, "%s: %llu records\n", argv[1], static_cast<unsigned long long>(records));
  return 0;
}
