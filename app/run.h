// The run driver: the dialogue or a data file named on the command line, the
// record loop over the data file, and the three endings (end of the data, a
// record that cannot be read, dates out of order).
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/console.h"
#include "app/naming.h"
#include "app/run_state.h"
#include "records/calendar.h"
#include "records/coverage.h"
#include "records/observation.h"
#include "textio/files.h"

namespace app {

// Runs the tool once through the dialogue, by calendar; returns its exit
// status (see ExitStatus).
int run(Console& con, textio::FileSystem& fs,
        records::Calendar calendar = records::Calendar::classic);

// What a run on one data file came to.
struct FileRun {
  int status = 0;              // exit status of the run
  FileNames names;             // the data file and the outputs written (a year's, split)
  std::uint64_t records = 0;   // records listed
  std::int32_t nval = -1;      // values a record, as given or counted; -1 where not known
  bool counted = false;        // nval was counted on the file's first record line
  unsigned notes = 0;          // the kinds of notes reported (Note)
  std::string message;         // the first failure's, with its line
  bool covered = false;        // coverage holds the station-year's (with summarise)
  records::Coverage coverage;  // with summarise: the first and last records and, where
                               // the outputs give them, the coverage numbers
  records::CoverageFault coverage_fault = records::CoverageFault::empty;
};

// How run_file runs a data file.
struct RunSettings {
  records::ValueCount count = records::ValueCount::counted();  // values a record
  std::uint64_t skip_lines = 0;  // lines passed over before the first record
  bool tell_count = false;       // name a count taken from the file on the console
  bool strict = false;           // notes fail the file
  bool make_folders = false;     // make the outputs' folder where it is missing
  bool summarise = false;        // build the coverage of the outputs
  records::Calendar calendar = records::Calendar::classic;  // of the times
  bool split_years = false;  // a pair of outputs for each year, STEM-YEAR
  // With split_years, why a year's outputs may not be written (they would
  // land on a data file of the batch, or on its summary), or nothing.
  std::function<std::string(const FileNames&)> refuse;
  // Called once the outputs are in place, under finish_lock(), with the
  // run's end: once for each year with split_years, and for a file that
  // ended before it wrote any.
  std::function<void(const FileRun&)> finished;
};

// Runs the data file of names, as the dialogue does once it has its
// replies, but with no reading line.
FileRun run_file(const FileNames& names, const RunSettings& settings, Console& con,
                 textio::FileSystem& fs);

}  // namespace app
