// A run's listing and trace watched as they are written, for the summary:
// the station-year's coverage from the very bytes the files get, through
// the computation that reads them back from the files for the report.
#pragma once

#include <cstdint>
#include <string>

#include "records/coverage.h"
#include "textio/stream.h"

namespace app {

// Passes a run's listing and trace on to their sinks, and builds their coverage.
class CoverageTap {
 public:
  // Watches what is written to listing and trace, named so in messages;
  // both sinks must outlive the tap.
  CoverageTap(textio::Sink& listing, textio::Sink& trace, const std::string& listing_name,
              const std::string& trace_name);

  // The sinks to write the listing and the trace through.
  textio::Sink& listing() { return listing_; }
  textio::Sink& trace() { return trace_; }

  // Ends the coverage once both are written, records listed with
  // lines_per_record lines each.
  void finish(std::uint64_t records, int lines_per_record);
  // The coverage, or why there is none.
  const records::CoverageBuilder& result() const { return builder_; }

 private:
  // The listing: its first line, and its last bytes, which hold its last
  // record line.
  class Listing : public textio::Sink {
   public:
    Listing(textio::Sink& sink, CoverageTap& tap) : sink_(sink), tap_(tap) {}
    int write(const char* p, std::size_t n) override;
    int close() override { return sink_.close(); }
    std::string first;  // the first line, once whole
    bool first_whole = false;
    std::string tail;  // the last bytes written

   private:
    textio::Sink& sink_;
    CoverageTap& tap_;
  };
  // The trace, a line at a time; held until the listing's first record
  // gives the year.
  class Trace : public textio::Sink {
   public:
    Trace(textio::Sink& sink, CoverageTap& tap) : sink_(sink), tap_(tap) {}
    int write(const char* p, std::size_t n) override;
    int close() override { return sink_.close(); }
    std::string held;  // what is not yet taken: a line's start, or all until the year is known

   private:
    textio::Sink& sink_;
    CoverageTap& tap_;
  };
  void take_trace();

  records::CoverageBuilder builder_;
  Listing listing_;
  Trace trace_;
  bool started_ = false;  // the listing's first record was taken
};

}  // namespace app
