// A batch: the data files of the command line, each a run of its own, a few
// at once, checked first so that no run can overwrite another's outputs or a
// data file, and summed up in a table where asked.
#pragma once

#include <string>

#include "app/command_line.h"
#include "app/naming.h"
#include "app/run.h"
#include "textio/files.h"
#include "textio/stream.h"

namespace app {

// Runs the files of opts; the summary, where asked for standard output,
// goes to out, reports to err, and at a terminal (terminal set) a status
// line too. Returns the highest exit status of a run, or kExitDialogue when
// the batch is refused before any file is touched.
int run_batch(const Options& opts, textio::Sink& out, textio::Sink& err, bool terminal);

// Runs one data file of a batch as settings say; appends its console lines
// and reports to log, each line starting "vantrel: FILE", before it calls
// settings.finished.
FileRun run_batch_file(const FileNames& names, const RunSettings& settings, textio::FileSystem& fs,
                       std::string& log);

}  // namespace app
