// A yardstick, not the tool: the listing written the way such programs
// traditionally are, a formatted read of each record with scanf and a
// formatted write of its line with printf, through stdio. Its times are
// simplified (no leap years, no chronology check, no trace), so it does less
// than the tool; bench/run.sh times it on the year for the "x traditional"
// ratio.
//
//   traditional DATA LISTING NVAL
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s DATA LISTING NVAL\n", argv[0]);
    return 2;
  }
  std::FILE* in = std::fopen(argv[1], "r");
  std::FILE* out = std::fopen(argv[2], "w");
  const int nval = std::atoi(argv[3]);
  if (in == nullptr || out == nullptr || nval < 0 || nval > 12) return 1;
  static const int before[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int month, day, year, hour, min;
  float val[12];
  while (std::fscanf(in, "%d %d %d %d %d", &month, &day, &year, &hour, &min) == 5) {
    for (int i = 0; i < nval; ++i)
      if (std::fscanf(in, "%f", &val[i]) != 1) return 1;
    const float x = static_cast<float>(before[(month + 11) % 12] + day - 1) +
                    static_cast<float>(hour) / 24.0f + static_cast<float>(min) / 1440.0f;
    const float bigx = x + 365.0f * static_cast<float>(year - 89);
    std::fprintf(out, "%7.3f%9.3f%3.2d-%2.2d-19%2.2d%3.2d:%2.2d", x, bigx, month, day, year, hour,
                 min);
    for (int i = 0; i < nval; ++i) std::fprintf(out, "%9.2f", val[i]);
    std::fputc('\n', out);
  }
  return std::fclose(out) == 0 ? 0 : 1;
}
