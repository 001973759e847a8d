// The command line: the options and data files of a batch.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace app {

// What the command line asks for.
struct Options {
  bool help = false;               // print the usage and stop
  bool version = false;            // print the version and stop
  std::int32_t nval = -1;          // values per record, 0 to 12; -1 until given
  bool count_values = false;       // --values auto: each file's count from its first record
  unsigned jobs = 0;               // files run at once; 0 for one per processor
  std::string output_dir;          // where the outputs go; empty for beside each file
  std::vector<std::string> files;  // the data files, as given
};

// Reads the arguments into opts; returns an empty string, or why the command
// line is refused.
std::string parse_command_line(int argc, char* argv[], Options& opts);

// The usage that --help prints.
extern const std::string_view kUsage;

}  // namespace app
