// What the tool says on standard error, in one form: "vantrel: ", where it
// is about (a file, and the line in it), a word that says whether it is a
// failure or a note, and the message. A script selects either by its word.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "textio/general_path.h"
#include "textio/item.h"

namespace textio {
class Reader;
}

namespace app {

class Console;

// A failure, which fails the file (or the run), or a note, which points at
// a likely mistake and changes nothing.
enum class Severity : std::uint8_t { error, note };

// Where a report points: the file as shown (empty for none) and its line
// (0 for none).
struct Place {
  std::string file;
  std::uint64_t line = 0;
};

// The start of every line on standard error: "vantrel: FILE:LINE: ", the
// place left out where it has none ("vantrel: ").
std::string line_start(const Place& place);

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

// The reports of a run, each worded once.
namespace say {
// A value did not fit its item, of kind, named what ("the hour (\"x\")"),
// at line (0 for none): why.
void bad_value(textio::Fault fault, textio::Item::Kind kind, const std::string& what,
               std::uint64_t line, Console& con);
// The reader refused the record: why, at its line.
void read_fault(const textio::Reader& r, Console& con);
// The record's month has no place in the year.
void month(std::int32_t month, std::uint64_t line, Console& con);
// The gregorian calendar takes no such year.
void gregorian_year(std::int32_t year, std::uint64_t line, Console& con);
// The record is dated before the one above it; feb29 names the year of a
// 29 February the calendar lacks just above (0 for none, -1 for a classic
// year).
void out_of_order(std::uint64_t line, int feb29, Console& con);
// A file could not be opened: what ("data file", "listing file" ...) at path.
void cannot_open(int err, const char* what, const std::string& path, Console& con);
// A file, or what (standard input), could not be read.
void unreadable(int err, Console& con, std::string_view what = {});
// An output could not be written in full, or put in place.
void not_written(int err, const char* what, const std::string& path, bool in_place, Console& con);
// The note on a record that ran over onto the next line, filling first of
// its 5 + nval numbers there.
void run_over(std::size_t first, int nval, std::uint64_t line, Console& con);
// The note on a first record whose year the classic calendar is not for.
void classic_year(std::int32_t year, std::uint64_t line, Console& con);
// The note on empty values that kept the previous record's: values in
// records records, the first on line.
void carried_empty(std::uint64_t values, std::uint64_t records, std::uint64_t line, Console& con);
// The note on a last record cut short at line.
void cut_last_record(std::uint64_t line, Console& con);
// The note on a file with no record.
void empty_file(Console& con);
// A year comes again at line, after the year before it, in a file split by
// years: its outputs are written already.
void year_again(int year, int before, std::uint64_t line, Console& con);
}  // namespace say

// Appends byte c to text as reports show a byte they cannot print: \xNN.
void append_escaped(std::string& text, unsigned char c);

// A file name as reports show it: each control byte (below 0x20, and 0x7f)
// escaped, so that a name holding a line end cannot break a report's line.
std::string shown_name(const std::string& name);

// The name shown as above, in apostrophes, as a report quotes a file.
std::string quoted_name(const std::string& name);

}  // namespace app
