// vantrel-coverage-report: for each station-year, reads STEM.jul and
// STEM.gap as the tool wrote them and prints its first and last records, the
// breaks between them as dates and the share of each month and of the year
// that has data, as a report to read or as one table of every station-year.
#pragma once

#include "textio/stream.h"

namespace app {

// The report started with the arguments; writes on out and err, and returns
// the exit status: 0 all reported, 1 some stem could not be, 2 usage.
int coverage_report(int argc, char* argv[], textio::Sink& out, textio::Sink& err);

}  // namespace app
