#include "app/progress.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "app/diagnostics.h"

namespace app {

namespace {

// "45 s", "12 min 5 s", "3 h 20 min".
std::string duration(double seconds) {
  const auto s = static_cast<unsigned long long>(std::llround(seconds));
  char text[48];
  if (s < 60) {
    std::snprintf(text, sizeof text, "%llu s", s);
  } else if (s < 3600) {
    std::snprintf(text, sizeof text, "%llu min %llu s", s / 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%llu h %llu min", s / 3600, s / 60 % 60);
  }
  return text;
}

// The line for tally after seconds, of a batch of files data files holding bytes.
std::string progress_line(const Tally& tally, double seconds, std::size_t files,
                          std::uint64_t bytes) {
  char text[160];
  std::snprintf(text, sizeof text, "%zu/%zu files, %zu failed, %.0f records/s", tally.done, files,
                tally.failed, seconds > 0 ? static_cast<double>(tally.records) / seconds : 0.0);
  std::string line = line_start({}) + text;
  // The time left, from the share of the data read so far (of the files
  // when they are all empty); unknown until the first file is done.
  const double share = bytes > 0 ? static_cast<double>(tally.bytes) / static_cast<double>(bytes)
                                 : static_cast<double>(tally.done) / static_cast<double>(files);
  if (share > 0) line += ", " + duration(seconds * (1 - share) / share) + " left";
  return line;
}

}  // namespace

void Progress::show(const Tally& tally, double seconds) {
  // Back to the line's start, the line, and the rest of the old one erased.
  const std::string line = '\r' + progress_line(tally, seconds, files_, bytes_) + "\033[K";
  (void)err_.write(line.data(), line.size());
  shown_ = true;
}

void Progress::clear() {
  if (!shown_) return;
  (void)err_.write("\r\033[K", 4);
  shown_ = false;
}

}  // namespace app
