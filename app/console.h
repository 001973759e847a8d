// The terminal side of a run: replies in, progress lines out, error reports aside.
#pragma once

#include <string_view>

#include "textio/freeform_reader.h"
#include "textio/output.h"
#include "textio/stream.h"

namespace app {

// Standard input, output and error of a run.
class Console {
 public:
  // Reads replies from in, writes lines to out and error reports to err.
  Console(textio::Source& in, textio::Sink& out, textio::Sink& err)
      : replies(in), lines(out), err_(err) {}

  // Free-form reader over standard input.
  textio::Reader replies;
  // Standard output, buffered; a closed pipe there does not stop the run.
  textio::Output lines;

  // Writes "vantrel: " and message as one line on standard error, after what
  // standard output holds so far.
  void report(std::string_view message);

 private:
  textio::Sink& err_;
};

}  // namespace app
