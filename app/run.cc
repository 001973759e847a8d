#include "app/run.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <system_error>

#include "app/coverage_tap.h"
#include "app/dialogue.h"
#include "app/run_state.h"
#include "app/stop.h"
#include "records/listing.h"
#include "records/timebase.h"
#include "records/trace.h"
#include "textio/first_line.h"
#include "textio/freeform_reader.h"
#include "textio/freeform_writer.h"
#include "textio/output.h"

namespace app {

namespace {

using textio::FreeLine;

void write_points(textio::Output& trace, const records::TracePoint* p, int n) {
  for (int k = 0; k < n; ++k) FreeLine(trace).real(p[k].time).integer(p[k].state).finish();
}

// The record as the read left it: month/day/year hour:min and the values.
void write_record_line(const RunState& st, textio::Output& out) {
  const records::Observation& r = st.obs;
  FreeLine line(out);
  line.integer(r.month).text("/").integer(r.day).text("/").integer(r.year);
  line.integer(r.hour).text(":").integer(r.min);
  for (int i = 0; i < st.nval; ++i) line.real(r.val[i].value());
  line.finish();
}

std::string field_name(std::size_t item) {
  static const char* const names[] = {"month", "day", "year", "hour", "minute"};
  if (item < 5) return std::string("the ") + names[item];
  return "value " + std::to_string(item - 4);
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

// Reports why the reader refused the record.
void report_read_fault(const textio::Reader& r, Console& con) {
  if (r.fault() == textio::Fault::io) {
    con.error("could not be read: " + std::generic_category().message(r.io_error()));
    return;
  }
  const std::string what = field_name(r.fault_item()) + quoted_token(r);
  switch (r.fault()) {
    case textio::Fault::out_of_range:
      con.error(what + " is beyond the range of its kind", r.line());
      return;
    case textio::Fault::bad_repeat:
      con.error("a repeat count of zero stands before " + what, r.line());
      return;
    default:
      con.error(what + (r.fault_item() < 5 ? " is not a whole number" : " is not a number"),
                r.line());
  }
}

// The items one read of the data file fills: the date and time fields of the
// record and its first nval values (none when nval <= 0, at most 12).
std::size_t record_items(records::Observation& r, std::int32_t nval, textio::Item* items) {
  items[0] = textio::Item::integer_field(r.month);
  items[1] = textio::Item::integer_field(r.day);
  items[2] = textio::Item::integer_field(r.year);
  items[3] = textio::Item::integer_field(r.hour);
  items[4] = textio::Item::integer_field(r.min);
  const int n = std::clamp(nval, 0, records::kMaxValues);
  for (int i = 0; i < n; ++i) items[5 + i] = textio::Item::real_field(r.val[i]);
  return 5 + static_cast<std::size_t>(n);
}

// The files of a run.
struct OpenFiles {
  std::unique_ptr<textio::Source> data;   // read
  std::unique_ptr<textio::Sink> listing;  // written, ".jul"
  std::unique_ptr<textio::Sink> trace;    // written, ".gap"
  FileNames names;                        // their names, for reports
};

// Reports a file that could not be opened; returns kExitOpenFailed.
int refuse_open(Console& con, int err, const char* what, const std::string& path) {
  con.error(std::string("cannot open ") + what + " " + quoted_name(path) + ": " +
            std::generic_category().message(err));
  return kExitOpenFailed;
}

// Opens the data file, and keeps the run's names for its reports. Its
// outputs are opened after it (open_outputs), so that a missing data file
// touches none. Returns kExitOk or kExitOpenFailed.
int open_data(const FileNames& names, Console& con, textio::FileSystem& fs, OpenFiles& files) {
  int err = 0;
  files.names = names;
  files.data = fs.open_read(names.data, err);
  return files.data != nullptr ? kExitOk : refuse_open(con, err, "data file", names.data);
}

// Creates the listing and the trace, in that order, and their folder first
// where asked; returns kExitOk or kExitOpenFailed.
int open_outputs(const FileNames& names, bool make_folder, Console& con, textio::FileSystem& fs,
                 OpenFiles& files) {
  int err = 0;
  const std::size_t slash = names.listing.rfind('/');
  if (make_folder && slash != std::string::npos) {
    const std::string folder = names.listing.substr(0, slash);
    if ((err = fs.make_folders(folder)) != 0) return refuse_open(con, err, "folder", folder);
  }
  files.listing = fs.open_write(names.listing, err);
  if (files.listing == nullptr) return refuse_open(con, err, "listing file", names.listing);
  files.trace = fs.open_write(names.trace, err);
  if (files.trace == nullptr) return refuse_open(con, err, "trace file", names.trace);
  return kExitOk;
}

// Takes the count of values from the first record's line of data, read
// ahead into first after skip lines, and names it on the console when tell
// is set. Returns kExitOk, or after a report kExitNoCount for a line that
// gives no count (kExitReadError when the data cannot be read).
int count_values(textio::Source& data, std::uint64_t skip, textio::FirstLine& first, RunState& st,
                 Console& con, bool tell) {
  first = textio::read_first_line(data, skip);
  if (first.io_error != 0) {
    con.error("could not be read: " + std::generic_category().message(first.io_error));
    return kExitReadError;
  }
  const auto n = static_cast<std::int32_t>(first.numbers) - 5;
  if (first.line == 0 && first.head.size() < textio::kMaxHead) {
    st.nval = 0;  // no record at all: nothing to count, and nothing to list either
    return kExitOk;
  }
  if (first.line == 0) {
    con.error("no record line in the first 64 KiB to count the values of");
  } else if (first.numbers == 0) {
    con.error(
        "the values cannot be counted: the line holds more than plain numbers (a header? "
        "--skip-lines passes over it)",
        first.line);
  } else if (n < 0 || n > records::kMaxValues) {
    con.error("the line holds " + std::to_string(first.numbers) +
                  " numbers, not the 5 date and time parts and 0 to 12 values of a record",
              first.line);
  } else {
    st.nval = n;
    if (tell) con.tell(std::to_string(n) + " values a record, counted on this line", first.line);
    return kExitOk;
  }
  return kExitNoCount;
}

// Tells on standard error, without changing the run, what in the record
// just read points at a likely mistake: that it ran over onto the next line
// (the caller asks once a run, as a count that is not the file's shows on
// every record) and, in the first record, a year the calendar is not for.
void note_doubts(const RunState& st, const textio::Reader& data, Console& con, bool first,
                 bool run_over) {
  const std::uint64_t line = data.record_line();
  if (run_over) {
    const int n = std::clamp(st.nval, 0, records::kMaxValues);
    con.note(kNoteRunOver,
             "the record runs over onto the next line: that line holds " +
                 std::to_string(data.first_line_items()) + " of its " + std::to_string(5 + n) +
                 " numbers (5 date and time parts and " + std::to_string(n) +
                 (n == 1 ? " value" : " values") + "); is the count of values right?",
             line);
  }
  const std::int32_t year = st.obs.year;
  if (first && !records::known_year(year)) {
    con.note(kNoteYear,
             "year " + std::to_string(year) +
                 " is not one of 89 to 99, the two-digit years of the calendar (1989 to 1999, "
                 "leap years 1992 and 1996 only): the listing shows it as " +
                 (year >= 0 && year <= 99 ? "19" + std::string(year < 10 ? "0" : "") +
                                                std::to_string(year) + " by that calendar"
                                          : "19** with asterisks for its epoch-day time") +
                 "; write years as two digits",
             line);
  }
}

// The doubts told once the data has ended: empty values that kept the
// previous record's, a last record cut short, no record at all.
struct EndNotes {
  std::uint64_t empty_values = 0;      // items an empty value left as they were
  std::uint64_t empty_records = 0;     // records holding one
  std::uint64_t first_empty_line = 0;  // the first such record's line

  void report(const textio::Reader& data, bool ended, std::uint64_t records, Console& con) const {
    if (empty_values != 0) {
      con.note(kNoteCarriedEmpty,
               "an empty value took the previous record's value: " + std::to_string(empty_values) +
                   (empty_values == 1 ? " value" : " values") + " in " +
                   std::to_string(empty_records) + (empty_records == 1 ? " record" : " records") +
                   ", the first on this line; is a field missing?",
               first_empty_line);
    }
    if (!ended) return;
    if (data.cut_short())
      con.note(kNoteCutLastRecord,
               "the last record is cut short by the end of the file and is not listed",
               data.record_line());
    if (records == 0) con.note(kNoteEmpty, "the data file holds no record: the listing is empty");
  }
};

// Closes an output file; returns false after reporting a failure.
bool close_output(textio::Output& out, Console& con, const char* what, const std::string& path) {
  int e = out.close();
  if (e == 0) return true;
  con.error(std::string("the ") + what + " " + quoted_name(path) +
            " could not be written in full: " + std::generic_category().message(e));
  return false;
}

// Puts an output written under another name in its place; returns false
// after reporting a failure.
bool commit_output(textio::Sink& sink, Console& con, const char* what, const std::string& path) {
  const int e = sink.commit();
  if (e == 0) return true;
  con.error(std::string("the ") + what + " " + quoted_name(path) +
            " could not be put in place: " + std::generic_category().message(e));
  return false;
}

// The record loop and its endings over the data's source and the outputs
// named in names, after skip lines; fills done's status and records.
void record_loop(RunState& st, textio::Source& source, std::uint64_t skip,
                 textio::Sink& listing_sink, textio::Sink& trace_sink, const FileNames& names,
                 Console& con, FileRun& done) {
  textio::Output listing(listing_sink);
  textio::Output trace(trace_sink);
  textio::Reader data(source);
  records::Observation& r = st.obs;
  textio::Item item_list[5 + records::kMaxValues];
  const std::span<const textio::Item> items(item_list, record_items(r, st.nval, item_list));
  records::TracePoint points[4];
  int status = kExitOk;
  bool first = true;
  bool told_run_over = false;
  bool after_feb29 = false;  // the record above is a 29 February of a year without one
  bool ended = data.skip_lines(skip);
  EndNotes end_notes;
  while (ended) {
    textio::Outcome o = data.read(items);
    if (o == textio::Outcome::end) {
      write_points(trace, points, st.trace.close(points));
      break;
    }
    if (data.empty_values() != 0) {  // rarely
      if (end_notes.empty_records++ == 0) end_notes.first_empty_line = data.record_line();
      end_notes.empty_values += data.empty_values();
    }
    if (o == textio::Outcome::error || !records::month_in_year(r.month)) {
      FreeLine(con.lines).text("Read error").finish();
      write_record_line(st, con.lines);
      if (o == textio::Outcome::error) {
        report_read_fault(data, con);
      } else {
        con.error("month " + std::to_string(r.month) +
                      " is not 1 to 12, so the record has no place in the year",
                  data.record_line());
      }
      status = kExitReadError;
      break;
    }
    const bool run_over = data.first_line_items() != 0 && !told_run_over;
    if (first || run_over) {  // rarely
      note_doubts(st, data, con, first, run_over);
      first = false;
      told_run_over |= run_over;
    }
    records::Times t = records::compute_times(r);
    st.x = t.x;
    st.bigx = t.bigx;
    const float xold = st.trace.xold();
    write_points(trace, points, st.trace.record(st.x, points));
    if (records::out_of_order(st.x, xold)) {
      // The diagnostic as it has always read, "HEY, " and all: scripts look
      // for it. Kept as it is on purpose.
      FreeLine(con.lines)
          .text("HEY, ")
          .real(st.x)
          .text(" is less than ")
          .real(xold)
          .text("  ")
          .integer(r.month)
          .text("/")
          .integer(r.day)
          .text("/")
          .integer(r.year)
          .integer(r.hour)
          .text(":")
          .integer(r.min)
          .finish();
      FreeLine(con.lines).text("DATES OUT OF ORDER").finish();
      // Said on standard error as well, where scripts look, with the place.
      con.error(std::string("the record is dated before the one above it") +
                    (after_feb29 && r.month >= 3
                         ? ", which is dated 29 February: the calendar has that day in 1992 "
                           "and 1996 only, and in other years takes it for 1 March"
                         : ""),
                data.record_line());
      status = kExitOutOfOrder;
      break;
    }
    char* p = listing.reserve(records::kMaxListingChars);
    listing.commit(p + records::format_listing(p, r, t, st.nval));
    ++done.records;
    after_feb29 = r.month == 2 && r.day == 29 && !records::leap_year(r.year);
    // A full disk: stop here rather than read the rest of the file for nothing.
    if (listing.error() != 0 || trace.error() != 0) break;
  }
  if (!ended) {
    // The file ended, or failed, within the lines passed over.
    if (data.io_error() != 0) {
      con.error("could not be read: " + std::generic_category().message(data.io_error()));
      status = kExitReadError;
    } else {
      write_points(trace, points, st.trace.close(points));
    }
  }
  end_notes.report(data, status == kExitOk && (listing.error() == 0 && trace.error() == 0),
                   done.records, con);

  // Every stop flushes and closes what was written; a file that could not be
  // written in full makes the run fail, whatever ended it.
  bool listing_ok = close_output(listing, con, "listing file", names.listing);
  bool trace_ok = close_output(trace, con, "trace file", names.trace);
  if (!listing_ok || !trace_ok) status = kExitWriteFailed;
  done.status = status;
}

}  // namespace

int run(Console& con, textio::FileSystem& fs) {
  RunState st;
  FileNames names;
  OpenFiles files;
  int status = start_dialogue(st, con, names);
  std::optional<Unfinished> unfinished;
  if (status == kExitOk) {
    con.about(names.data);
    unfinished.emplace(shown_name(names.data));
    status = open_data(names, con, fs, files);
  }
  if (status == kExitOk) status = open_outputs(names, false, con, fs, files);
  if (status == kExitOk) {
    announce(st, con);
    FileRun done;
    record_loop(st, *files.data, 0, *files.listing, *files.trace, names, con, done);
    status = done.status;
    const std::lock_guard g(finish_lock());
    if (!commit_output(*files.listing, con, "listing file", names.listing) ||
        !commit_output(*files.trace, con, "trace file", names.trace))
      status = kExitWriteFailed;
    unfinished->finished();
  }
  con.lines.flush();
  return status;
}

FileRun run_file(const FileNames& names, const RunSettings& settings, Console& con,
                 textio::FileSystem& fs) {
  RunState st;
  st.nval = settings.nval;
  con.about(names.data);
  if (settings.strict) con.notes_fail();
  OpenFiles files;
  textio::FirstLine first;
  FileRun done;
  done.counted = settings.nval == kCountValues;
  Unfinished unfinished(shown_name(names.data));
  done.status = open_data(names, con, fs, files);
  std::uint64_t skip = settings.skip_lines;
  if (done.status == kExitOk && done.counted) {
    done.status = count_values(*files.data, skip, first, st, con, settings.tell_count);
  }
  done.nval = std::max(st.nval, 0);
  if (done.status == kExitOk)
    done.status = open_outputs(names, settings.make_folders, con, fs, files);
  if (done.status == kExitOk) {
    textio::ReplaySource data(first.head, *files.data);
    std::optional<CoverageTap> tap;
    if (settings.summarise) tap.emplace(*files.listing, *files.trace, names.listing, names.trace);
    record_loop(st, data, skip, tap ? tap->listing() : *files.listing,
                tap ? tap->trace() : *files.trace, names, con, done);
    if (tap) {
      tap->finish(done.records, done.nval > records::kValuesPerLine ? 2 : 1);
      done.coverage = tap->result().coverage();
      done.coverage_fault = tap->result().fault();
      done.covered = done.coverage_fault == records::CoverageFault::none;
    }
    const std::lock_guard g(finish_lock());
    if (!commit_output(*files.listing, con, "listing file", names.listing) ||
        !commit_output(*files.trace, con, "trace file", names.trace))
      done.status = kExitWriteFailed;
    if (done.status == kExitOk && settings.strict && con.notes() != 0) done.status = kExitNoted;
    done.notes = con.notes();
    done.message = con.first_error();
    unfinished.finished();
    con.lines.flush();
    if (settings.finished) settings.finished(done);
  } else {
    done.notes = con.notes();
    done.message = con.first_error();
    con.lines.flush();
    const std::lock_guard g(finish_lock());
    unfinished.finished();
    if (settings.finished) settings.finished(done);
  }
  con.lines.flush();
  return done;
}

}  // namespace app
