// The terminal side of a run: replies in, progress lines out, reports aside.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/diagnostics.h"
#include "textio/freeform_reader.h"
#include "textio/output.h"
#include "textio/stream.h"

namespace app {

// Standard input, output and error of a run.
class Console {
 public:
  // Reads replies from in, writes lines to out and reports to err.
  Console(textio::Source& in, textio::Sink& out, textio::Sink& err)
      : replies(in), lines(out), err_(err) {}

  // Free-form reader over standard input.
  textio::Reader replies;
  // Standard output, buffered; a closed pipe there does not stop the run.
  textio::Output lines;

  // The data file the reports are about from now on, by its name as given.
  void about(const std::string& file) { file_ = shown_name(file); }
  // Notes are failures from now on (--strict).
  void notes_fail() { notes_fail_ = true; }

  // Reports a failure at line of the file (0: the file as a whole; none
  // before about()).
  void error(std::string_view message, std::uint64_t line = 0);
  // Reports a note of kind (a Note), at line of the file; a failure under notes_fail().
  void note(unsigned kind, std::string_view message, std::uint64_t line = 0);
  // Says message at line of the file, with no word: a line for a person
  // at a terminal, neither a failure nor a note.
  void tell(std::string_view message, std::uint64_t line);

  // The first failure's message, with its line ("line 4: ..."); empty when none.
  const std::string& first_error() const { return first_error_; }
  // The kinds of the notes reported.
  unsigned notes() const { return notes_; }

 private:
  void write(const std::string& line);

  textio::Sink& err_;
  std::string file_;
  bool notes_fail_ = false;
  std::string first_error_;
  unsigned notes_ = 0;
};

}  // namespace app
