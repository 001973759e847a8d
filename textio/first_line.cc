#include "textio/first_line.h"

#include <algorithm>
#include <cstring>

#include "textio/freeform_reader.h"

namespace textio {

std::size_t count_numbers(std::string_view line) {
  // The line read as the reader reads a record of reals, its line end after
  // it: the items the read reaches when the line ends are its values.
  constexpr std::size_t kMost = 256;
  std::string text(line);
  text += '\n';
  MemorySource src(text);
  Reader reader(src, text.size() + 1);
  Value values[kMost];
  Item items[kMost];
  for (std::size_t k = 0; k < kMost; ++k) items[k] = Item::real_field(values[k]);
  switch (reader.read(items)) {
    case Outcome::end:
      return reader.reached();
    case Outcome::whole:  // a slash, or more values than any record holds
      return reader.reached() == Reader::kNotShort ? kMost : 0;
    default:
      return 0;
  }
}

FirstLine read_first_line(Source& src, std::uint64_t skip) {
  FirstLine first;
  std::size_t start = 0;  // where the line being looked at starts
  std::uint64_t line = skip + 1;
  char buf[4096];
  // The lines passed over are read and dropped: the look-ahead starts after
  // them, however long they are.
  std::uint64_t skipped = 0;
  while (first.head.size() < kMaxHead) {
    std::size_t got = 0;
    first.io_error = src.read(buf, sizeof buf, got);
    if (first.io_error != 0) return first;
    std::string_view bytes(buf, got);
    while (skipped < skip && !bytes.empty()) {
      const std::size_t nl = bytes.find('\n');
      bytes.remove_prefix(nl == std::string_view::npos ? bytes.size() : nl + 1);
      skipped += nl == std::string_view::npos ? 0 : 1;
    }
    first.head.append(bytes);
    // Every line that ends in what has been read, and at the source's end
    // the last one too.
    for (std::size_t nl; start < first.head.size(); start = nl + 1, ++line) {
      nl = first.head.find('\n', start);
      if (nl == std::string::npos) {
        if (got != 0) break;
        nl = first.head.size();
      }
      std::string_view text(first.head.data() + start, nl - start);
      if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
      if (text.find_first_not_of(" \t") == std::string_view::npos) continue;
      first.line = line;
      first.numbers = count_numbers(text);
      return first;
    }
    if (got == 0) break;
  }
  return first;
}

int ReplaySource::read(char* buf, std::size_t n, std::size_t& got) {
  if (head_.empty()) return src_.read(buf, n, got);
  got = std::min(n, head_.size());
  std::memcpy(buf, head_.data(), got);
  head_.remove_prefix(got);
  return 0;
}

}  // namespace textio
