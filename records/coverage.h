// The coverage of a station-year as its listing and trace give it: its first
// and last records, the breaks between them, and the share of each month
// and of the year that has data. One computation, from the outputs' own
// text, for the tool's summary of a run and for the coverage report, so
// that both give the same numbers for the same files.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace records {

// True when line (without its line end) is a record's line of a listing,
// not the second line of a record with 11 or 12 values.
bool is_record_line(std::string_view line);

// Why a station-year has no coverage.
enum class CoverageFault : std::uint8_t {
  none,
  unreadable,  // the listing or the trace could not be read
  listing,     // a record line's date or time field is not a number
  empty,       // the listing holds no record
  cut,         // the trace stops before the year's end: its run stopped early
  trace,       // the trace is not a step line of (time, 0 or 1) points over the year
};

// A station-year's coverage, as the report and the summary give it.
struct Coverage {
  int year = 0;                     // four digits, from the first record
  std::string first, last;          // records, "YYYY-MM-DD HH:MM"
  std::uint64_t gaps = 0;           // breaks between the first and last records
  std::int64_t longest_min = 0;     // the longest break, in minutes; 0 when none
  std::string longest_start;        // the last record before it; empty when none
  std::vector<std::string> breaks;  // each break as the report's line, when kept
  std::array<std::string, 13> pct;  // each month's share with data, then the year's, "12.34"
};

// Builds a station-year's coverage from its listing's first and last record
// lines and its trace's lines, checking them as it goes. Of the faults
// found, the listing's come first, as the listing is read first; each is
// named as the report names it.
class CoverageBuilder {
 public:
  // For the listing and the trace named jul and gap in messages; keeps the
  // report's line for each break when keep_breaks is set.
  CoverageBuilder(std::string jul, std::string gap, bool keep_breaks);

  // Takes the listing's first record line, line no, before any trace line;
  // false on a fault.
  bool first_record(std::string_view line, std::uint64_t no);
  // Takes the listing's last record line, line no; false on a fault.
  bool last_record(std::string_view line, std::uint64_t no);
  // Takes the trace's next line, without its line end.
  void trace_line(std::string_view line);
  // Ends the trace; false on a fault. The coverage is then complete.
  bool finish();

  // The coverage so far: after first_record(), the year and the first record.
  const Coverage& coverage() const { return cov_; }
  // The first fault found, and its message ("FILE: line N: ..."), if any.
  CoverageFault fault() const { return fault_; }
  const std::string& message() const { return message_; }

 private:
  struct Point {
    double t;          // the time as the trace's text gives it
    int s;             // the state
    std::string text;  // "time state", for messages
  };
  bool fail(CoverageFault f, std::string message);
  bool date_of(std::string_view line, std::uint64_t no, std::string& out);
  void step(const Point& a, const Point& b);
  std::string date(std::int64_t mins) const;
  int month_start(int y, int k) const;

  std::string jul_, gap_;
  bool keep_breaks_;
  bool listed_ = false;                              // the first record was taken
  CoverageFault trace_fault_ = CoverageFault::none;  // told once the listing has no fault
  std::string trace_message_;
  Coverage cov_;
  CoverageFault fault_ = CoverageFault::none;
  std::string message_;
  bool leap_ = false;
  std::uint64_t lines_ = 0;          // of the trace
  Point first_{}, prev_{}, last_{};  // the first point, and the two last
  std::string step_fault_;  // the first point that breaks the step line, told after the ends
  std::uint64_t pairs_ = 0;
  std::int64_t down_ = -1;  // where the line last fell to 0, in minutes; -1 when it has not
  std::array<std::int64_t, 12> with_{};  // minutes with data in each month
};

}  // namespace records
