#include "app/console.h"

#include <string>

namespace app {

void Console::write(const std::string& line) {
  lines.flush();  // after what standard output holds so far
  // Nothing more can be done if standard error itself fails.
  (void)err_.write(line.data(), line.size());
}

void Console::error(std::string_view message, std::uint64_t line) {
  if (first_error_.empty()) {
    if (line != 0) first_error_.append("line ").append(std::to_string(line)).append(": ");
    first_error_.append(message);
  }
  write(report_line(Severity::error, {file_, line}, message));
}

void Console::note(unsigned kind, std::string_view message, std::uint64_t line) {
  notes_ |= kind;
  if (notes_fail_) {
    error(message, line);
  } else {
    write(report_line(Severity::note, {file_, line}, message));
  }
}

void Console::tell(std::string_view message, std::uint64_t line) {
  std::string text = line_start({file_, line});
  text += message;
  write(text + '\n');
}

}  // namespace app
