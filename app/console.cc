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

}  // namespace app
