// A batch: the data files of the command line, each a run of its own, a few
// at once, checked first so that no run can overwrite another's outputs or a
// data file.
#pragma once

#include <cstdint>
#include <string>

#include "app/command_line.h"
#include "app/naming.h"
#include "app/run.h"
#include "textio/files.h"
#include "textio/stream.h"

namespace app {

// Runs the files of opts; reports go to err, and at a terminal (terminal
// set) a status line too, and each count of values taken from a file.
// Returns the highest exit status of a run, or kExitDialogue when the batch
// is refused before any file is touched.
int run_batch(const Options& opts, textio::Sink& err, bool terminal);

// Runs one data file of a batch, with nval values a record (or
// kCountValues, named when tell_count is set); appends its console lines
// and reports to log, each line starting "vantrel: FILE: ".
FileRun run_batch_file(const FileNames& names, std::int32_t nval, textio::FileSystem& fs,
                       std::string& log, bool tell_count = false);

// The tool started with arguments: prints the usage or the version on out,
// or runs the batch; refusals go to err. Returns the exit status.
int run_command_line(int argc, char* argv[], textio::Sink& out, textio::Sink& err);

}  // namespace app
