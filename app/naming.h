// File naming: the data file's name and the stem of the two output names,
// derived from the first reply.
#pragma once

#include <string>

#include "app/run_state.h"

namespace app {

// The three file names of a run.
struct FileNames {
  std::string data;     // name without its trailing blanks
  std::string listing;  // stem + ".jul"
  std::string trace;    // stem + ".gap"
};

// Sets rootl, namel and name from root and fills names; returns an empty
// string, or why the reply cannot name a data file.
std::string derive_names(RunState& st, FileNames& names);

}  // namespace app
