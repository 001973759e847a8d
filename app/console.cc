#include "app/console.h"

#include <string>

namespace app {

void Console::report(std::string_view message) {
  lines.flush();
  std::string line = "vantrel: " + label_;
  line += message;
  line += '\n';
  // Nothing more can be done if standard error itself fails.
  (void)err_.write(line.data(), line.size());
}

void append_escaped(std::string& text, unsigned char c) {
  static const char hex[] = "0123456789abcdef";
  text += {'\\', 'x', hex[c >> 4], hex[c & 15]};
}

std::string shown_name(const std::string& name) {
  std::string shown;
  for (const char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c != 0x7f) {
      shown += ch;
    } else {
      append_escaped(shown, c);
    }
  }
  return shown;
}

std::string quoted_name(const std::string& name) {
  std::string q(1, '\'');
  q += shown_name(name);
  return q += '\'';
}

}  // namespace app
