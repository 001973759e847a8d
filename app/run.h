// The run driver: the dialogue or a data file named on the command line, the
// record loop over the data file, and the three endings (end of the data, a
// record that cannot be read, dates out of order).
#pragma once

#include <cstdint>

#include "app/console.h"
#include "app/naming.h"
#include "textio/files.h"

namespace app {

// Runs the tool once through the dialogue; returns its exit status (see ExitStatus).
int run(Console& con, textio::FileSystem& fs);

// What a run on one data file came to.
struct FileRun {
  int status;             // exit status of the run
  std::uint64_t records;  // records listed
};

// The count of values a record that run_file takes from the data file's
// first record line.
constexpr std::int32_t kCountValues = -1;

// Runs the data file of names with nval (0 to 12, or kCountValues) values a
// record, as the dialogue does once it has its replies, but with no reading
// line; a count taken from the file is named on the console when tell_count
// is set. Reports leave the data file's name to the console's label.
FileRun run_file(const FileNames& names, std::int32_t nval, Console& con, textio::FileSystem& fs,
                 bool tell_count = false);

}  // namespace app
