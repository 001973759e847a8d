// The run driver: the dialogue, the record loop over the data file, and the
// three endings (end of the data, a record that cannot be read, dates out of
// order).
#pragma once

#include "app/console.h"
#include "textio/files.h"

namespace app {

// Runs the tool once; returns its exit status (see ExitStatus).
int run(Console& con, textio::FileSystem& fs);

}  // namespace app
