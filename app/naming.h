// File naming: the data file's name and the stem of the two output names,
// derived from the first reply or from a path on the command line.
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

// The folder of path as --keep-folders keeps it under the output folder: as
// given, less "." parts and a leading "/" (empty for none). False for a
// folder with a ".." part, which would lead out of the output folder.
bool kept_folder(const std::string& path, std::string& folder);

// The names of a run on the data file at path, of any length and in any
// folder: the outputs are named from its base name up to the first ".", as
// the dialogue names them from its reply, and go into out_dir, or beside the
// data file when out_dir is empty; with keep_folders, into path's folder as
// kept_folder() gives it, under out_dir.
FileNames names_for_file(const std::string& path, const std::string& out_dir,
                         bool keep_folders = false);

}  // namespace app
