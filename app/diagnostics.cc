#include "app/diagnostics.h"

#include <system_error>

#include "app/console.h"
#include "records/calendar.h"
#include "records/observation.h"
#include "textio/freeform_reader.h"

namespace app {

namespace {

std::string field_name(std::size_t item) {
  static const char* const names[records::kDateParts] = {"month", "day", "year", "hour", "minute"};
  if (item < records::kDateParts) return std::string("the ") + names[item];
  return "value " + std::to_string(item - records::kDateParts + 1);
}

// The token a read failed on, quoted for a report: printable ASCII as it
// is, any other byte as \xNN, and a token too long to keep cut with "...".
std::string quoted_token(const textio::Reader& r) {
  std::string q = " (\"";
  for (const char ch : r.fault_text()) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      q += ch;
    } else {
      append_escaped(q, c);
    }
  }
  if (r.fault_text_length() > r.fault_text().size()) q += "...";
  return q + "\")";
}

std::string plural(std::uint64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

namespace say {

void bad_value(textio::Fault fault, textio::Item::Kind kind, const std::string& what,
               std::uint64_t line, Console& con) {
  switch (fault) {
    case textio::Fault::out_of_range:
      return con.error(what + " is beyond the range of its kind", line);
    case textio::Fault::bad_repeat:
      return con.error("a repeat count of zero stands before " + what, line);
    case textio::Fault::bad_text:
      return con.error(what + " is not a proper text (a quote closed in the middle of a word?)",
                       line);
    default:
      return con.error(what + (kind == textio::Item::Kind::integer ? " is not a whole number"
                                                                   : " is not a number"),
                       line);
  }
}

void read_fault(const textio::Reader& r, Console& con) {
  if (r.fault() == textio::Fault::io) return unreadable(r.io_error(), con);
  bad_value(
      r.fault(),
      r.fault_item() < records::kDateParts ? textio::Item::Kind::integer : textio::Item::Kind::real,
      field_name(r.fault_item()) + quoted_token(r), r.line(), con);
}

void month(std::int32_t month, std::uint64_t line, Console& con) {
  con.error(
      "month " + std::to_string(month) + " is not 1 to 12, so the record has no place in the year",
      line);
}

void gregorian_year(std::int32_t year, std::uint64_t line, Console& con) {
  con.error("the year (\"" + std::to_string(year) +
                "\") is not one the gregorian calendar takes: 1900 to 2099 in four digits, or two "
                "digits (89 to 99 for 1989 to 1999, 00 to 88 for 2000 to 2088)",
            line);
}

void out_of_order(std::uint64_t line, int feb29, Console& con) {
  std::string why = "the record is dated before the one above it";
  if (feb29 < 0) {
    why +=
        ", which is dated 29 February: the calendar has that day in the years written 92 and "
        "96 only, and in others takes it for 1 March (--calendar gregorian has it in every leap "
        "year)";
  } else if (feb29 > 0) {
    why += ", which is dated 29 February: " + std::to_string(feb29) +
           " has no such day, and the calendar takes it for 1 March";
  }
  con.error(why, line);
}

void cannot_open(int err, const char* what, const std::string& path, Console& con) {
  con.error(std::string("cannot open ") + what + " " + quoted_name(path) + ": " +
            std::generic_category().message(err));
}

void unreadable(int err, Console& con, std::string_view what) {
  con.error(std::string(what) + (what.empty() ? "" : " ") +
            "could not be read: " + std::generic_category().message(err));
}

void not_written(int err, const char* what, const std::string& path, bool in_place, Console& con) {
  con.error(std::string("the ") + what + " " + quoted_name(path) +
            (in_place ? " could not be put in place: " : " could not be written in full: ") +
            std::generic_category().message(err));
}

void run_over(std::size_t first, int nval, std::uint64_t line, Console& con) {
  con.note(kNoteRunOver,
           "the record runs over onto the next line: that line holds " + std::to_string(first) +
               " of its " + std::to_string(records::kDateParts + nval) + " numbers (" +
               std::to_string(records::kDateParts) + " date and time parts and " +
               plural(static_cast<std::uint64_t>(nval), "value", "values") +
               "); is the count of values right?",
           line);
}

void classic_year(std::int32_t year, std::uint64_t line, Console& con) {
  const bool two = year >= 0 && year <= 99;
  const int full = records::gregorian_year(year);
  con.note(kNoteYear,
           "year " + std::to_string(year) +
               " is not one of 89 to 99, the two-digit years of the calendar (1989 to 1999, "
               "leap years 1992 and 1996 only): the listing shows it as " +
               (two ? "19" + std::string(year < 10 ? "0" : "") + std::to_string(year) +
                          " by that calendar"
                    : "19** with asterisks for its epoch-day time") +
               "; write years as two digits" +
               (full != 0 ? ", or list it as " + std::to_string(full) + " with --calendar gregorian"
                          : ""),
           line);
}

void carried_empty(std::uint64_t values, std::uint64_t records, std::uint64_t line, Console& con) {
  con.note(kNoteCarriedEmpty,
           "an empty value took the previous record's value: " + plural(values, "value", "values") +
               " in " + plural(records, "record", "records") +
               ", the first on this line; is a field missing?",
           line);
}

void cut_last_record(std::uint64_t line, Console& con) {
  con.note(kNoteCutLastRecord,
           "the last record is cut short by the end of the file and is not listed", line);
}

void year_again(int year, int before, std::uint64_t line, Console& con) {
  con.error("the record's year, " + std::to_string(year) + ", comes again after " +
                std::to_string(before) +
                ": a file split by years must hold each year's records together, as its outputs "
                "for the year are written already",
            line);
}

void empty_file(Console& con) {
  con.note(kNoteEmpty, "the data file holds no record: the listing is empty");
}

}  // namespace say

std::string line_start(const Place& place) {
  std::string line = "vantrel: ";
  if (!place.file.empty()) {
    line += place.file;
    if (place.line != 0) line.append(":").append(std::to_string(place.line));
    line += ": ";
  }
  return line;
}

std::string report_line(Severity severity, const Place& place, std::string_view message) {
  std::string line = line_start(place);
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
