// The opening of a run at the terminal: banner, the two questions and their
// replies, the file names, and the reading line.
#pragma once

#include "app/console.h"
#include "app/naming.h"
#include "app/run_state.h"

namespace app {

// Asks for and reads both replies, and fills root, nval, rootl, namel, name
// and names. Returns kExitOk, or the exit status after the failure has been
// reported.
int start_dialogue(RunState& st, Console& con, FileNames& names);

// Writes the reading line, which names the data file.
void announce(const RunState& st, Console& con);

}  // namespace app
