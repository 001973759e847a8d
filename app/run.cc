#include "app/run.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

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

// The items one read of the data file fills: the date and time fields of the
// record and its first nval values (0 to 12).
std::size_t record_items(records::Observation& r, std::int32_t nval, textio::Item* items) {
  static_assert(records::kDateParts == 5);
  items[0] = textio::Item::integer_field(r.month);
  items[1] = textio::Item::integer_field(r.day);
  items[2] = textio::Item::integer_field(r.year);
  items[3] = textio::Item::integer_field(r.hour);
  items[4] = textio::Item::integer_field(r.min);
  for (int i = 0; i < nval; ++i)
    items[records::kDateParts + i] = textio::Item::real_field(r.val[i]);
  return static_cast<std::size_t>(records::kDateParts) + static_cast<std::size_t>(nval);
}

// The listing and the trace of one station-year, written through buffers,
// and watched for the summary's coverage where asked.
class Pair {
 public:
  // Creates names' listing and trace, in that order, and their folder first
  // where make_folder is set; false after reporting why not.
  bool open(const FileNames& names, bool make_folder, bool summarise, Console& con,
            textio::FileSystem& fs) {
    names_ = names;
    int err = 0;
    const std::size_t slash = names.listing.rfind('/');
    if (make_folder && slash != std::string::npos) {
      const std::string folder = names.listing.substr(0, slash);
      if ((err = fs.make_folders(folder)) != 0) {
        say::cannot_open(err, "folder", folder, con);
        return false;
      }
    }
    listing_sink_ = fs.open_write(names.listing, err);
    if (listing_sink_ == nullptr) {
      say::cannot_open(err, "listing file", names.listing, con);
      return false;
    }
    trace_sink_ = fs.open_write(names.trace, err);
    if (trace_sink_ == nullptr) {
      say::cannot_open(err, "trace file", names.trace, con);
      return false;
    }
    if (summarise) tap_.emplace(*listing_sink_, *trace_sink_, names.listing, names.trace);
    listing_.emplace(tap_ ? tap_->listing() : *listing_sink_);
    trace_.emplace(tap_ ? tap_->trace() : *trace_sink_);
    return true;
  }

  textio::Output& listing() { return *listing_; }
  textio::Output& trace() { return *trace_; }
  // True after a write failed: a full disk.
  bool failed() const { return listing_->error() != 0 || trace_->error() != 0; }
  const FileNames& names() const { return names_; }

  // Flushes and closes both, whatever ended the run, and builds the
  // coverage of what they hold; a file that could not be written in full
  // fails the run, whatever ended it.
  void close(int lines_per_record, Console& con, FileRun& done) {
    const int e[2] = {listing_->close(), trace_->close()};
    if (e[0] != 0) say::not_written(e[0], "listing file", names_.listing, false, con);
    if (e[1] != 0) say::not_written(e[1], "trace file", names_.trace, false, con);
    if (e[0] != 0 || e[1] != 0) done.status = kExitWriteFailed;
    if (!tap_) return;
    tap_->finish(done.records, lines_per_record);
    done.coverage = tap_->result().coverage();
    done.coverage_fault = tap_->result().fault();
    done.covered = done.coverage_fault == records::CoverageFault::none;
  }

  // Puts both in place, under finish_lock(); a failure fails the run.
  void commit(Console& con, FileRun& done) {
    const int e[2] = {listing_sink_->commit(), trace_sink_->commit()};
    if (e[0] != 0) say::not_written(e[0], "listing file", names_.listing, true, con);
    if (e[1] != 0) say::not_written(e[1], "trace file", names_.trace, true, con);
    if (e[0] != 0 || e[1] != 0) done.status = kExitWriteFailed;
  }

 private:
  FileNames names_;
  std::unique_ptr<textio::Sink> listing_sink_, trace_sink_;
  std::optional<CoverageTap> tap_;
  std::optional<textio::Output> listing_, trace_;
};

// How the record loop ended.
enum class Ending {
  end,           // the data ended
  read_error,    // a record could not be read or placed in the year
  out_of_order,  // a record came before the one above it
  new_year,      // (split) a record of another year waits for its outputs
  full,          // an output could not be written
};

// What the record loop keeps from one record to the next, over every year
// of a file.
struct Loop {
  RunState& st;
  textio::Reader& data;
  std::span<const textio::Item> items;
  Console& con;
  bool split = false;           // a pair of outputs a year
  bool pending = false;         // a record read whole waits for its year's outputs
  int year = 0;                 // the year of the record read (two digits as written, or four)
  int outputs_year = 0;         // the year the outputs hold (split)
  std::vector<int> years = {};  // the years whose outputs are written (split)
  bool first = true;            // no record traced yet
  bool told_run_over = false;
  int feb29 = 0;  // the record above is a 29 February its year lacks: -1
                  // (classic), the year (gregorian), 0 for none
  std::uint64_t empty_values = 0, empty_records = 0, first_empty_line = 0;
};

// Reads the next record whole, and says why not: the data ended, or a
// record cannot be read or placed in the year (by the gregorian calendar
// where kGregorian).
template <bool kGregorian>
inline Ending next_record(Loop& l) {
  RunState& st = l.st;
  records::Observation& r = st.obs;
  const textio::Outcome o = l.data.read(l.items);
  if (o == textio::Outcome::end) return Ending::end;
  if (l.data.empty_values() != 0) {  // rarely
    if (l.empty_records++ == 0) l.first_empty_line = l.data.record_line();
    l.empty_values += l.data.empty_values();
  }
  bool placed = o == textio::Outcome::whole && records::month_in_year(r.month);
  if (kGregorian && placed) {
    if (r.year != st.gregorian.field) st.gregorian = records::gregorian(r.year);
    placed = st.gregorian.year != 0;
  }
  if (!placed) {
    FreeLine(l.con.lines).text("Read error").finish();
    write_record_line(st, l.con.lines);
    if (o != textio::Outcome::whole) {
      say::read_fault(l.data, l.con);
    } else if (!records::month_in_year(r.month)) {
      say::month(r.month, l.data.record_line(), l.con);
    } else {
      say::gregorian_year(r.year, l.data.record_line(), l.con);
    }
    return Ending::read_error;
  }
  l.year = kGregorian ? st.gregorian.year : r.year;
  return Ending::new_year;  // a record, whole
}

// The record loop over pair's year: each record read is timed, traced,
// checked for its order and listed, until one of the endings. With split
// (and pair null before the first year), a record of another year than
// pair's ends it too, waiting for its own outputs. Made for each calendar,
// so that the classic one's loop tests nothing of the other's.
template <bool kGregorian>
Ending record_loop_by(Loop& l, Pair* pair, FileRun& done) {
  RunState& st = l.st;
  const records::Observation& r = st.obs;
  textio::Reader& data = l.data;
  constexpr bool gregorian = kGregorian;
  records::TracePoint points[4];
  // What the loop changes, held here while it runs and handed back at its end.
  int feb29 = l.feb29;
  std::uint64_t listed = 0;
  const auto leave = [&](Ending e) {
    l.feb29 = feb29;
    done.records += listed;
    if ((e == Ending::end || e == Ending::new_year) && pair != nullptr)
      write_points(pair->trace(), points, records::trace_close(st.x, st.xold, points));
    return e;
  };
  for (;;) {
    if (!l.pending) {
      const Ending e = next_record<kGregorian>(l);
      if (e != Ending::new_year) return leave(e);
    }
    l.pending = false;
    if (l.split && (pair == nullptr || l.year != l.outputs_year)) {
      l.pending = true;
      return leave(Ending::new_year);
    }
    if (l.first || (data.first_line_items() != 0 && !l.told_run_over)) [[unlikely]] {
      // Once a file each.
      if (data.first_line_items() != 0 && !l.told_run_over) {
        say::run_over(data.first_line_items(), st.nval, data.record_line(), l.con);
        l.told_run_over = true;
      }
      if (l.first && !gregorian && !records::known_year(r.year))
        say::classic_year(r.year, data.record_line(), l.con);
      l.first = false;
    }

    // The run's steps, each on the run state: times, trace, order, listing.
    const records::Times times =
        gregorian ? records::compute_times(r, st.gregorian) : records::compute_times(r);
    st.x = times.x;
    st.bigx = times.bigx;
    write_points(pair->trace(), points, records::trace_record(st.gap, st.x, st.xold, points));
    if (records::out_of_order(st.x, st.xold)) {
      // The diagnostic as it has always read, "HEY, " and all: scripts look
      // for it. Kept as it is on purpose.
      FreeLine(l.con.lines)
          .text("HEY, ")
          .real(st.x)
          .text(" is less than ")
          .real(st.xold)
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
      FreeLine(l.con.lines).text("DATES OUT OF ORDER").finish();
      // Said on standard error as well, where scripts look, with the place.
      say::out_of_order(data.record_line(), r.month >= 3 ? feb29 : 0, l.con);
      l.feb29 = feb29;
      done.records += listed;
      return Ending::out_of_order;
    }

    textio::Output& listing = pair->listing();
    char* p = listing.reserve(records::kMaxListingChars);
    const records::Times t{st.x, st.bigx};
    listing.commit(p + (gregorian ? records::format_listing(p, r, t, st.nval, l.year)
                                  : records::format_listing(p, r, t, st.nval)));
    st.xold = st.x;
    ++listed;
    feb29 = 0;
    if (r.month == 2 && r.day == 29) [[unlikely]] {
      const bool leap = gregorian ? st.gregorian.leap : records::leap_year(r.year);
      if (!leap) feb29 = gregorian ? l.year : -1;
    }
    // A full disk: stop here rather than read the rest of the file for nothing.
    if (pair->failed()) return leave(Ending::full);
  }
}

Ending record_loop(Loop& l, Pair* pair, FileRun& done) {
  return l.st.calendar == records::Calendar::gregorian ? record_loop_by<true>(l, pair, done)
                                                       : record_loop_by<false>(l, pair, done);
}

// The status a run's ending gives.
int status_of(Ending e) {
  switch (e) {
    case Ending::read_error:
      return kExitReadError;
    case Ending::out_of_order:
      return kExitOutOfOrder;
    default:
      return kExitOk;
  }
}

// Takes the count of values from the first record's line of data, read
// ahead into first after skip lines, and names it on the console when tell
// is set. Returns kExitOk, or after a report kExitNoCount for a line that
// gives no count (kExitReadError when the data cannot be read).
int count_values(textio::Source& data, std::uint64_t skip, textio::FirstLine& first, RunState& st,
                 Console& con, bool tell) {
  first = textio::read_first_line(data, skip);
  if (first.io_error != 0) {
    say::unreadable(first.io_error, con);
    return kExitReadError;
  }
  const auto n = static_cast<std::int32_t>(first.numbers) - records::kDateParts;
  if (first.line == 0 && first.head.size() < textio::kMaxHead) {
    st.nval = 0;  // no record at all: nothing to count, and nothing to list either
    return kExitOk;
  }
  if (first.line == 0) {
    con.error("no record line in the first 64 KiB to count the values of");
  } else if (first.numbers == 0) {
    con.error(
        "the values cannot be counted: the line holds more than numbers (a header? "
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

// The doubts told at the end of a year's records (of a file's, unsplit):
// empty values that kept the previous record's; and the first record of the
// next year is again a first record, whose year the classic calendar notes.
void note_year_end(Loop& l, Console& con) {
  if (l.empty_values != 0)
    say::carried_empty(l.empty_values, l.empty_records, l.first_empty_line, con);
  l.empty_values = l.empty_records = l.first_empty_line = 0;
  l.first = true;
}

// The doubts told once the data has ended: those of its last year, a last
// record cut short, no record at all.
void note_end(Loop& l, bool ended, std::uint64_t records, Console& con) {
  note_year_end(l, con);
  if (!ended) return;
  if (l.data.cut_short()) say::cut_last_record(l.data.record_line(), con);
  if (records == 0) say::empty_file(con);
}

// The names of the outputs of year of a file split by years: its stem and
// the year, "mervo-1990".
FileNames year_names(const FileNames& names, int year, bool two_digits) {
  std::string y = std::to_string(year);
  if (two_digits && year >= 0 && year < 10) y.insert(y.begin(), '0');
  const auto stem = [&](const std::string& out) {
    return out.substr(0, out.size() - 4) + "-" + y + out.substr(out.size() - 4);
  };
  return {names.data, stem(names.listing), stem(names.trace)};
}

}  // namespace

int run(Console& con, textio::FileSystem& fs, records::Calendar calendar) {
  RunState st;
  st.calendar = calendar;
  FileNames names;
  int status = start_dialogue(st, con, names);
  if (status != kExitOk) {
    con.lines.flush();
    return status;
  }
  con.about(names.data);
  Unfinished unfinished(shown_name(names.data));
  int err = 0;
  std::unique_ptr<textio::Source> source = fs.open_read(names.data, err);
  Pair pair;
  if (source == nullptr) {
    say::cannot_open(err, "data file", names.data, con);
    status = kExitOpenFailed;
  } else if (!pair.open(names, false, false, con, fs)) {
    status = kExitOpenFailed;
  } else {
    unfinished.writing(names.listing, names.trace);
    announce(st, con);
    con.lines.flush();  // the reading line stands, however the run ends
    textio::Reader data(*source);
    textio::Item items[records::kDateParts + records::kMaxValues];
    Loop l{st, data, {items, record_items(st.obs, st.nval, items)}, con};
    FileRun done;
    const Ending e = record_loop(l, &pair, done);
    note_end(l, e == Ending::end, done.records, con);
    done.status = status_of(e);
    pair.close(1, con, done);
    const std::lock_guard g(finish_lock());
    pair.commit(con, done);
    unfinished.finished();
    status = done.status;
  }
  con.lines.flush();
  return status;
}

FileRun run_file(const FileNames& names, const RunSettings& settings, Console& con,
                 textio::FileSystem& fs) {
  RunState st;
  st.nval = settings.count.is_counted() ? -1 : settings.count.values();
  st.calendar = settings.calendar;
  con.about(names.data);
  if (settings.strict) con.notes_fail();
  Unfinished unfinished(shown_name(names.data));
  FileRun file;  // the file's run as a whole
  file.counted = settings.count.is_counted();
  file.names = names;
  // Each station-year's end, told once its outputs are in place.
  unsigned notes_told = 0;
  const auto finish = [&](FileRun& year, Pair* pair) {
    year.counted = file.counted;
    year.nval = st.nval;  // -1 where the file's count could not be taken
    year.notes = con.notes() & ~notes_told;
    notes_told = con.notes();
    year.message = con.first_error();
    con.lines.flush();
    const std::lock_guard g(finish_lock());
    if (pair != nullptr) pair->commit(con, year);
    if (year.status == kExitOk && settings.strict && year.notes != 0) year.status = kExitNoted;
    file.status = std::max(file.status, year.status);
    file.records += year.records;
    file.notes |= year.notes;
    file.message = year.message;
    file.coverage = year.coverage;
    file.coverage_fault = year.coverage_fault;
    file.covered = year.covered;
    if (settings.finished) settings.finished(year);
  };

  int err = 0;
  std::unique_ptr<textio::Source> source = fs.open_read(names.data, err);
  textio::FirstLine first;
  FileRun year;
  year.names = names;
  if (source == nullptr) {
    say::cannot_open(err, "data file", names.data, con);
    year.status = kExitOpenFailed;
  } else if (file.counted) {
    year.status = count_values(*source, settings.skip_lines, first, st, con, settings.tell_count);
  }
  file.nval = st.nval;
  auto pair = std::make_unique<Pair>();
  bool open = year.status == kExitOk && !settings.split_years;
  if (open && !pair->open(names, settings.make_folders, settings.summarise, con, fs)) {
    year.status = kExitOpenFailed;
    open = false;
  }
  if (open) unfinished.writing(names.listing, names.trace);
  if (year.status != kExitOk) {
    finish(year, nullptr);
    unfinished.finished();
    return file;
  }

  textio::ReplaySource replay(first.head, *source);
  textio::Reader data(replay);
  textio::Item items[records::kDateParts + records::kMaxValues];
  Loop l{st, data, {items, record_items(st.obs, st.nval, items)}, con};
  l.split = settings.split_years;
  const int lines_per_record = file.nval > records::kValuesPerLine ? 2 : 1;
  Ending e = Ending::end;
  // A count taken from the file passed over the header's lines already.
  if (file.counted) data.number_lines_from(settings.skip_lines + 1);
  if (!data.skip_lines(file.counted ? 0 : settings.skip_lines)) {
    // The file ended, or failed, within the lines passed over.
    if (data.io_error() != 0) {
      say::unreadable(data.io_error(), con);
      e = Ending::read_error;
    } else if (open) {
      records::TracePoint points[3];
      write_points(pair->trace(), points, records::trace_close(st.x, st.xold, points));
    }
  } else {
    e = record_loop(l, open ? pair.get() : nullptr, year);
  }
  for (;;) {
    if (e != Ending::new_year) {  // the file's end
      note_end(l, e == Ending::end, file.records + year.records, con);
      year.status = std::max(year.status, status_of(e));
      if (open) pair->close(lines_per_record, con, year);
      // A file split by years and holding none has no outputs, but a row.
      if (open || year.status != kExitOk || file.records == 0)
        finish(year, open ? pair.get() : nullptr);
      break;
    }
    if (open) {
      note_year_end(l, con);
      pair->close(lines_per_record, con, year);
      finish(year, pair.get());
      if (year.status == kExitWriteFailed) break;  // an output could not be written
    }
    // A record of another year: its outputs, as for a file of its year alone;
    // a year that comes again would land on its own outputs, and stops the file.
    year = FileRun{};
    year.names = year_names(names, l.year, st.calendar == records::Calendar::classic);
    if (std::find(l.years.begin(), l.years.end(), l.year) != l.years.end()) {
      say::year_again(l.year, l.outputs_year, l.data.record_line(), con);
      year.status = kExitOutOfOrder;
      finish(year, nullptr);
      break;
    }
    l.years.push_back(l.year);
    const std::string refused = settings.refuse ? settings.refuse(year.names) : std::string();
    pair = std::make_unique<Pair>();
    open = refused.empty() &&
           pair->open(year.names, settings.make_folders, settings.summarise, con, fs);
    if (!refused.empty()) con.error(refused);
    if (open) unfinished.writing(year.names.listing, year.names.trace);
    if (!open) {
      year.status = kExitOpenFailed;
      finish(year, nullptr);
      break;
    }
    l.outputs_year = l.year;
    st.gap = 1;
    st.x = st.bigx = st.xold = 0.0f;
    e = record_loop(l, pair.get(), year);
  }
  unfinished.finished();
  return file;
}

}  // namespace app
