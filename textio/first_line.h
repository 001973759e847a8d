// A data file's first record line, read ahead of the reader, for a caller
// that takes the count of values from it rather than being told.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "textio/stream.h"

namespace textio {

// What the first line of a source that is not blank holds.
struct FirstLine {
  std::string head;         // every byte read from the source after the lines passed over,
                            // to hand on to the reader
  std::uint64_t line = 0;   // its number, from 1; 0 when there is none within kMaxHead bytes
  std::size_t numbers = 0;  // its values (count_numbers); 0 when it holds more than numbers
  int io_error = 0;         // the errno value of a failed read, or 0
};

// The most bytes read ahead to find the line.
inline constexpr std::size_t kMaxHead = std::size_t{64} * 1024;

// Reads src up to the end of its first line that is not blank, after the
// first skip lines, whatever those hold, which it drops (line counts them).
FirstLine read_first_line(Source& src, std::uint64_t skip = 0);

// The values on line as the reader reads a record of reals (an empty value,
// and each of r*v's copies, counted); 0 when it holds anything but numbers,
// such as a text or a slash.
std::size_t count_numbers(std::string_view line);

// A source that hands over the bytes read ahead first, then the rest of src.
class ReplaySource : public Source {
 public:
  // Reads head (which must outlive this), then src.
  ReplaySource(std::string_view head, Source& src) : head_(head), src_(src) {}
  int read(char* buf, std::size_t n, std::size_t& got) override;

 private:
  std::string_view head_;
  Source& src_;
};

}  // namespace textio
