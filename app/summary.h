// The summary of a batch: a tab-separated table with a row for every data
// file named, listed, failed or refused alike, for the scripts that run
// archives.
#pragma once

#include <string>

#include "app/naming.h"
#include "app/run.h"

namespace app {

// The table's header line, with its line end.
std::string summary_header();

// The row of the data file at path, named names, whose run came to run.
std::string summary_row(const std::string& path, const FileNames& names, const FileRun& run);

// The word for an exit status in the table's status column: "listed",
// "read-error" and so on.
std::string status_word(int status);

}  // namespace app
