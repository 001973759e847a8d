#include "app/console.h"

#include <cstring>
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

int LabelledSink::write(const char* p, std::size_t n) {
  std::string text;
  for (const char* end = p + n; p != end;) {
    if (line_start_) text += label_;
    const char* nl =
        static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
    const char* stop = nl == nullptr ? end : nl + 1;
    text.append(p, stop);
    line_start_ = nl != nullptr;
    p = stop;
  }
  return sink_.write(text.data(), text.size());
}

}  // namespace app
