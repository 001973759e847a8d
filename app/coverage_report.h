// vantrel-coverage-report: for each station-year, reads STEM.jul and
// STEM.gap as the tool wrote them and prints its first and last records, the
// breaks between them as dates and the share of each month and of the year
// that has data, as a report to read or as one table of every station-year.
#pragma once

#include <cstdint>
#include <string>

#include "records/coverage.h"
#include "textio/stream.h"

namespace app {

// What the report makes of a station-year from its outputs.
struct StationYear {
  records::CoverageFault fault = records::CoverageFault::none;
  std::string message;        // why it has no coverage, "FILE: ...", as the report says it
  std::uint64_t records = 0;  // the listing's records
  bool dated = false;         // cov holds the year and the first and last records
  records::Coverage cov;      // and, with no fault, the coverage numbers
};

// Reads a station-year's listing, named jul in messages (only its first and
// last record lines where its lines are the tool's), and its trace, named
// gap; keeps the report's line for each break when keep_breaks is set.
StationYear read_station_year(const textio::RandomSource& listing,
                              const textio::RandomSource& trace, const std::string& jul,
                              const std::string& gap, bool keep_breaks);

// The report started with the arguments; writes on out and err, and returns
// the exit status: 0 all reported, 1 some stem could not be, 2 usage.
int coverage_report(int argc, char* argv[], textio::Sink& out, textio::Sink& err);

}  // namespace app
