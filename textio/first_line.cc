#include "textio/first_line.h"

#include <algorithm>
#include <cstring>

#include "textio/chars.h"

namespace textio {

namespace {

// An optional sign, digits with an optional point (a digit on one side of
// it at least), and an optional exponent with e, E, d or D.
bool plain_number(std::string_view t) {
  std::size_t i = 0, digits = 0;
  auto run = [&] {
    std::size_t k = 0;
    for (; i < t.size() && is_digit(t[i]); ++i) ++k;
    return k;
  };
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  digits += run();
  if (i < t.size() && t[i] == '.') {
    ++i;
    digits += run();
  }
  if (digits == 0) return false;
  if (i < t.size() && std::strchr("eEdD", t[i]) != nullptr) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    if (run() == 0) return false;
  }
  return i == t.size();
}

}  // namespace

std::size_t count_numbers(std::string_view line) {
  std::size_t numbers = 0;
  bool comma = true;  // the line's start counts as just after a comma: no empty value there
  for (std::size_t i = 0; i < line.size();) {
    if (is_blank(line[i])) {
      ++i;
    } else if (line[i] == ',') {
      if (comma) return 0;  // an empty value
      comma = true;
      ++i;
    } else {
      const std::size_t end = std::min(line.find_first_of(" \t,", i), line.size());
      if (!plain_number(line.substr(i, end - i))) return 0;
      ++numbers;
      comma = false;
      i = end;
    }
  }
  return numbers;
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
