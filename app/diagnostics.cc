#include "app/diagnostics.h"

namespace app {

std::string report_line(Severity severity, const Place& place, std::string_view message) {
  std::string line = "vantrel: ";
  if (!place.file.empty()) {
    line += place.file;
    if (place.line != 0) line.append(":").append(std::to_string(place.line));
    line += ": ";
  }
  line += severity == Severity::error ? "error: " : "note: ";
  line += message;
  line += '\n';
  return line;
}

std::string note_names(unsigned notes) {
  static const char* const names[] = {"run-over", "year", "cut-last-record", "empty",
                                      "carried-empty-value"};
  std::string text;
  for (unsigned k = 0; k < std::size(names); ++k) {
    if ((notes >> k & 1) == 0) continue;
    if (!text.empty()) text += ',';
    text += names[k];
  }
  return text;
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
