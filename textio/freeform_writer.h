// Free-form lines: console messages and trace points. A line begins with one
// blank; texts are written as they are; every number has a blank before it.
#pragma once

#include <cstdint>
#include <string_view>

#include "textio/output.h"

namespace textio {

// Writes one free-form line item by item; the line ends with finish().
class FreeLine {
 public:
  // Starts a new line on out.
  explicit FreeLine(Output& out) : out_(out) { out_.put(' '); }
  // Appends a text, with no separator before or after it.
  FreeLine& text(std::string_view s);
  // Appends an integer, with no decimal point.
  FreeLine& integer(std::int32_t v);
  // Appends a real with the fewest digits that read back to the same value, and a decimal point.
  FreeLine& real(float v);
  // Ends the line.
  void finish() { out_.put('\n'); }

 private:
  void blank_before_number();
  Output& out_;
  bool after_blank_ = true;
};

// Writes v the way a free-form line shows a real into out (room for 32 bytes); returns the length.
std::size_t format_real(char* out, float v);

}  // namespace textio
