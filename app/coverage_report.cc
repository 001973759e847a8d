#include "app/coverage_report.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/diagnostics.h"
#include "records/coverage.h"
#include "records/listing.h"
#include "textio/files.h"

namespace app {

namespace {

constexpr std::string_view kHelp = R"(usage: @PROG@ [--tsv] STEM...
       @PROG@ --help

Reads STEM.jul and STEM.gap, as vantrel wrote them.  A STEM may be a path
(out/st90), and may end in .jul or .gap, so that a glob gives them:
@PROG@ out/*.jul.  For each STEM, prints a plain-text report:

  the station-year    from the listing's date column, as four digits
  first, last record  from the listing, as YYYY-MM-DD HH:MM
  gaps between them   each break in the coverage trace between the first and
                      last records: the last record before it and the first
                      after it, as YYYY-MM-DD HH:MM, and the time between them
                      in days, hours and minutes
  coverage            the share of each month, and of the year, covered by the
                      trace's stretches at 1, in percent with two decimals

Trace times are days since 1 January 00:00, rounded to the nearest minute.
The year is the listing's four digits, and its leap years are those of the
Gregorian calendar (1992 and 1996 of 1989 to 1999, as vantrel's classic
calendar has them): their February has 29 days, and the year's share is
of 366 days (365 in other years).  The trace's last point, at 365.0,
stands for the end of the year: in a leap year that is 31 December 24:00,
a day past the trace's axis, so a trace that closes at 1 (a last record at
23:17 on 30 December or later) counts the time up to 31 December 24:00 as
covered.

Reports of several stems are separated by a blank line.  Only the listing's
first and last record lines are read, and the trace.

--tsv prints one tab-separated table instead, a header line and a row for
each station-year, with the same numbers: stem (the name without its
folder), year, first_record, last_record, gaps, longest_gap_min (0 when
there is none), longest_gap_start (the last record before it; empty when
there is none), year_pct, jan_pct to dec_pct, then folder (the stem's
folder as given), status and records (the listing's records).  The status
is listed for a station-year reported, and for one that cannot be, whose
coverage numbers are left empty: missing (a file is not there),
unreadable, empty (a listing with no records), cut (the trace of a run that
stopped early: it ends before 365.0, or on a rise at 365.0 with no closing
point) or broken (a trace that is not a step line of (time, 0 or 1) points
from 0.0 to 365.0, a listing's date that is not a number).  Such a stem is
also named on standard error, why, and the other stems are still reported.
A control character in a name (a tab, a line end) is shown as \xNN, as
vantrel's reports and summary show it.

Exit status: 0 all reported, 1 some stem could not be reported, 2 usage.
)";

// What the report could make of one stem.
struct StemReport : StationYear {
  std::string status = "listed";  // the table's word
  bool counted = false;           // records holds the listing's records
};

// Why path cannot be read, for the stem's report, with its status word; or nothing.
bool unreadable(const std::string& path, StemReport& r) {
  if (::access(path.c_str(), F_OK) != 0) {
    r.message = shown_name(path) + ": not found";
    r.status = "missing";
    return true;
  }
  int err = 0;
  const textio::RandomFile f(path, err);
  if (err == EISDIR) {
    r.message = shown_name(path) + ": is a folder, not a file";
  } else if (err != 0) {
    r.message = shown_name(path) + ": cannot be read (permission denied)";
  } else {
    return false;
  }
  r.status = "unreadable";
  return true;
}

// The lines of text, each without its line end and a carriage return before it.
std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    if (nl == std::string_view::npos) break;
    text.remove_prefix(nl + 1);
  }
  return lines;
}

// The first and last record lines of a listing, their line numbers and its
// records.
struct ListingEnds {
  std::string first, last;
  std::uint64_t first_no = 0, last_no = 0;
  std::uint64_t records = 0;
};

// Reads the whole listing for its ends: for one whose lines are not of the
// tool's fixed widths.
int scan_listing(const textio::RandomSource& f, ListingEnds& e) {
  std::string text;
  if (const int err = f.read(0, f.size(), text); err != 0) return err;
  std::uint64_t no = 0;
  for (const std::string_view line : lines_of(text)) {
    ++no;
    if (!records::is_record_line(line)) continue;
    if (e.records++ == 0) {
      e.first = line;
      e.first_no = no;
    }
    e.last = line;
    e.last_no = no;
  }
  return 0;
}

// Reads the listing's first and last record lines. The tool writes every
// record in lines of the same widths, so its record count and its last
// record line follow from its size and its first lines; a listing that
// does not fit them is read whole.
int listing_ends(const textio::RandomSource& f, ListingEnds& e) {
  std::string head;
  if (const int err = f.read(0, 512, head); err != 0) return err;
  const std::vector<std::string_view> lines = lines_of(head);
  const std::size_t nl = head.find('\n');
  if (lines.empty() || nl == std::string::npos || !records::is_record_line(lines[0]) ||
      lines[0].size() != nl)
    return scan_listing(f, e);
  // A record of 11 or 12 values has a second line, of one or two fields.
  std::uint64_t per = nl + 1, lines_per = 1;
  const std::size_t nl2 = head.find('\n', nl + 1);
  if (nl2 != std::string::npos && !records::is_record_line(lines[1])) {
    per += nl2 - nl;
    lines_per = 2;
  }
  if (f.size() % per != 0) return scan_listing(f, e);
  std::string last;
  const std::uint64_t at = f.size() - per;
  if (const int err = f.read(at, per, last); err != 0) return err;
  const std::size_t end = last.find('\n');
  if (end != nl || !records::is_record_line(std::string_view(last).substr(0, end)) ||
      last.back() != '\n')
    return scan_listing(f, e);
  e.records = f.size() / per;
  e.first = lines[0];
  e.first_no = 1;
  e.last = last.substr(0, end);
  e.last_no = (e.records - 1) * lines_per + 1;
  return 0;
}

}  // namespace

StationYear read_station_year(const textio::RandomSource& listing,
                              const textio::RandomSource& trace, const std::string& jul,
                              const std::string& gap, bool keep_breaks) {
  StationYear r;
  ListingEnds ends;
  if (listing_ends(listing, ends) != 0) {
    r.fault = records::CoverageFault::unreadable;
    r.message = jul + ": cannot be read";
    return r;
  }
  r.records = ends.records;
  records::CoverageBuilder b(jul, gap, keep_breaks);
  if (ends.records != 0 && b.first_record(ends.first, ends.first_no) &&
      b.last_record(ends.last, ends.last_no)) {
    r.dated = true;
    std::string text;
    if (trace.read(0, trace.size(), text) != 0) {
      r.fault = records::CoverageFault::unreadable;
      r.message = gap + ": cannot be read";
      r.cov = b.coverage();
      return r;
    }
    for (const std::string_view line : lines_of(text)) b.trace_line(line);
  }
  b.finish();
  r.cov = b.coverage();
  r.fault = b.fault();
  r.message = b.message();
  return r;
}

namespace {

// The report of the stem at path (its folder and name), or why there is none.
StemReport report_stem(const std::string& path, bool tsv) {
  StemReport r;
  const std::string jul = path + ".jul", gap = path + ".gap";
  if (unreadable(jul, r) || unreadable(gap, r)) return r;
  int err = 0;
  const textio::RandomFile listing(jul, err);
  int trace_err = 0;
  const textio::RandomFile trace(gap, trace_err);
  static_cast<StationYear&>(r) =
      read_station_year(listing, trace, shown_name(jul), shown_name(gap), !tsv);
  if (err != 0 || (trace_err != 0 && r.fault == records::CoverageFault::none)) {
    r.fault = records::CoverageFault::unreadable;
    r.message = shown_name(err != 0 ? jul : gap) + ": cannot be read";
  }
  r.counted = r.fault != records::CoverageFault::unreadable || r.dated;
  switch (r.fault) {
    case records::CoverageFault::none:
      break;
    case records::CoverageFault::unreadable:
      r.status = "unreadable";
      break;
    case records::CoverageFault::empty:
      r.status = "empty";
      break;
    case records::CoverageFault::cut:
      r.status = "cut";
      break;
    default:
      r.status = "broken";
  }
  return r;
}

// The table's header line.
std::string tsv_header() {
  std::string h =
      "stem\tyear\tfirst_record\tlast_record\tgaps\tlongest_gap_min\tlongest_gap_start\tyear_pct";
  for (const char* m :
       {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"})
    h.append("\t").append(m).append("_pct");
  return h + "\tfolder\tstatus\trecords\n";
}

// The stem's row in the table; its numbers left empty where it could not be reported.
std::string tsv_row(const std::string& path, const StemReport& r) {
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash);
  const records::Coverage& c = r.cov;
  std::string row = shown_name(name) + '\t';
  row += r.dated ? std::to_string(c.year) + '\t' + c.first + '\t' + c.last : "\t\t";
  if (r.fault == records::CoverageFault::none && r.message.empty()) {
    row += '\t' + std::to_string(c.gaps) + '\t' + std::to_string(c.longest_min) + '\t' +
           c.longest_start + '\t' + c.pct[12];
    for (std::size_t k = 0; k < 12; ++k) row += '\t' + c.pct[k];
  } else {
    row += std::string(16, '\t');
  }
  return row + '\t' + shown_name(folder) + '\t' + r.status + '\t' +
         (r.counted ? std::to_string(r.records) : "") + '\n';
}

// The stem's report to read.
std::string text_report(const std::string& path, const StemReport& r) {
  static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const std::size_t slash = path.rfind('/');
  const records::Coverage& c = r.cov;
  std::string t = shown_name(slash == std::string::npos ? path : path.substr(slash + 1)) +
                  ": station-year " + std::to_string(c.year) + "\nfirst record  " + c.first +
                  "\nlast record   " + c.last +
                  "\ngaps between them: " + (c.gaps != 0 ? std::to_string(c.gaps) : "none") + "\n";
  for (const std::string& b : c.breaks) t += b + '\n';
  t += "coverage (share of time with data):\n";
  char line[64];
  for (std::size_t k = 0; k < 13; ++k) {
    std::snprintf(line, sizeof line, "  %-4s %6s%%\n", k < 12 ? months[k] : "year",
                  c.pct[k].c_str());
    t += line;
  }
  return t;
}

void put(textio::Sink& sink, const std::string& text) {
  (void)sink.write(text.data(), text.size());
}

}  // namespace

int coverage_report(int argc, char* argv[], textio::Sink& out, textio::Sink& err) {
  std::string prog = argc > 0 ? argv[0] : "vantrel-coverage-report";
  prog = prog.substr(prog.rfind('/') + 1);
  const std::string usage =
      "usage: " + prog + " [--tsv] STEM...   (reads STEM.jul and STEM.gap; --help for more)\n";
  bool tsv = false, options = true;
  std::vector<std::string> stems;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (options && (arg == "--help" || arg == "-h")) {
      std::string help(kHelp);
      for (std::size_t at; (at = help.find("@PROG@")) != std::string::npos;)
        help.replace(at, 6, prog);
      put(out, help);
      return 0;
    }
    if (options && arg == "--tsv") {
      tsv = true;
    } else if (options && arg == "--") {
      options = false;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      put(err, prog.append(": unknown option ").append(arg).append("\n"));
      put(err, usage);
      return 2;
    } else {
      stems.push_back(arg);
    }
  }
  if (stems.empty()) {
    put(err, usage);
    return 2;
  }

  int status = 0;
  std::string sep;
  if (tsv) put(out, tsv_header());
  std::set<std::string> seen;
  for (std::string stem : stems) {
    // A path from a glob: the stem is the path without its suffix; out/*
    // gives each stem twice, and it is reported once.
    if (stem.ends_with(".jul") || stem.ends_with(".gap")) stem.resize(stem.size() - 4);
    if (!seen.insert(stem).second) continue;
    const StemReport r = report_stem(stem, tsv);
    if (!r.message.empty()) {
      put(err, prog + ": " + r.message + "\n");
      status = 1;
    }
    if (tsv) {
      put(out, tsv_row(stem, r));
    } else if (r.message.empty()) {
      put(out, sep + text_report(stem, r));
      sep = "\n";
    }
  }
  return status;
}

}  // namespace app
