#include "textio/freeform_writer.h"

#include <charconv>
#include <cstring>

namespace textio {

void FreeLine::blank_before_number() {
  if (!after_blank_) out_.put(' ');
}

FreeLine& FreeLine::text(std::string_view s) {
  out_.write(s);
  if (!s.empty()) after_blank_ = s.back() == ' ';
  return *this;
}

FreeLine& FreeLine::integer(std::int32_t v) {
  blank_before_number();
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out_.write(buf, static_cast<std::size_t>(r.ptr - buf));
  after_blank_ = false;
  return *this;
}

FreeLine& FreeLine::real(float v) {
  blank_before_number();
  char buf[32];
  out_.write(buf, format_real(buf, v));
  after_blank_ = false;
  return *this;
}

std::size_t format_real(char* out, float v) {
  // The shortest form that reads back to the same float, so that nothing
  // downstream loses precision; a real always shows its decimal point.
  char* end = std::to_chars(out, out + 24, v).ptr;
  std::size_t n = static_cast<std::size_t>(end - out);
  if (std::memchr(out, '.', n) != nullptr || std::memchr(out, 'n', n) != nullptr) return n;
  char* e = static_cast<char*>(std::memchr(out, 'e', n));
  if (e == nullptr) {
    e = end;
  } else {
    std::memmove(e + 2, e, static_cast<std::size_t>(end - e));
  }
  e[0] = '.';
  e[1] = '0';
  return n + 2;
}

}  // namespace textio
