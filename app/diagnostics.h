// What the tool says on standard error, in one form: "vantrel: ", where it
// is about (a file, and the line in it), a word that says whether it is a
// failure or a note, and the message. A script selects either by its word.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace app {

// A failure, which fails the file (or the run), or a note, which points at
// a likely mistake and changes nothing.
enum class Severity : std::uint8_t { error, note };

// Where a report points: the file as shown (empty for none) and its line
// (0 for none).
struct Place {
  std::string file;
  std::uint64_t line = 0;
};

// The report line for a message at place, with its line end:
// "vantrel: FILE:LINE: error: MESSAGE".
std::string report_line(Severity severity, const Place& place, std::string_view message);

// The kinds of notes, each a bit of a set.
enum Note : unsigned {
  kNoteRunOver = 1u << 0,        // a record ran over onto the next line
  kNoteYear = 1u << 1,           // the first record's year is not one the calendar is for
  kNoteCutLastRecord = 1u << 2,  // the file ended partway through a record
  kNoteEmpty = 1u << 3,          // the file held no record
  kNoteCarriedEmpty = 1u << 4,   // an empty value took the previous record's value
};

// The kinds of the set notes, by their names, parted by commas
// ("run-over,year"); empty for none.
std::string note_names(unsigned notes);

// Appends byte c to text as reports show a byte they cannot print: \xNN.
void append_escaped(std::string& text, unsigned char c);

// A file name as reports show it: each control byte (below 0x20, and 0x7f)
// escaped, so that a name holding a line end cannot break a report's line.
std::string shown_name(const std::string& name);

// The name shown as above, in apostrophes, as a report quotes a file.
std::string quoted_name(const std::string& name);

}  // namespace app
