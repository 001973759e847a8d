// The opening of a run: banner, the two questions and their replies, the file
// names, the three files opened, and the reading line.
#pragma once

#include <memory>

#include "app/console.h"
#include "app/run_state.h"
#include "textio/files.h"
#include "textio/stream.h"

namespace app {

// The files a run works on, open once the dialogue has succeeded.
struct OpenFiles {
  std::unique_ptr<textio::Source> data;   // read
  std::unique_ptr<textio::Sink> listing;  // written, ".jul"
  std::unique_ptr<textio::Sink> trace;    // written, ".gap"
};

// Asks for and reads both replies, fills root, nval, rootl, namel and name,
// and opens the data file, the listing and the trace in that order. Returns
// kExitOk, or the exit status after the failure has been reported.
int start_dialogue(RunState& st, Console& con, textio::FileSystem& fs, OpenFiles& files);

// Writes the reading line, which names the data file.
void announce(const RunState& st, Console& con);

}  // namespace app
