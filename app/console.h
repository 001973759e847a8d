// The terminal side of a run: replies in, progress lines out, error reports aside.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "textio/freeform_reader.h"
#include "textio/output.h"
#include "textio/stream.h"

namespace app {

// Standard input, output and error of a run.
class Console {
 public:
  // Reads replies from in, writes lines to out and error reports to err;
  // label, when given, stands before every report (a batch's "FILE: ").
  Console(textio::Source& in, textio::Sink& out, textio::Sink& err, std::string label = {})
      : replies(in), lines(out), err_(err), label_(std::move(label)) {}

  // Free-form reader over standard input.
  textio::Reader replies;
  // Standard output, buffered; a closed pipe there does not stop the run.
  textio::Output lines;

  // Writes "vantrel: ", the label and message as one line on standard error,
  // after what standard output holds so far.
  void report(std::string_view message);

 private:
  textio::Sink& err_;
  std::string label_;
};

// Appends byte c to text as reports show a byte they cannot print: \xNN.
void append_escaped(std::string& text, unsigned char c);

// A file name as reports show it: each control byte (below 0x20, and 0x7f)
// escaped, so that a name holding a line end cannot break a report's line.
std::string shown_name(const std::string& name);

// The name shown as above, in apostrophes, as a report quotes a file.
std::string quoted_name(const std::string& name);

}  // namespace app
