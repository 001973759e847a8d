// The command line: its options and data files, the usage, and the tool
// started with arguments.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/run_state.h"
#include "records/calendar.h"
#include "records/observation.h"
#include "textio/stream.h"

namespace app {

// What the command line asks for.
struct Options {
  bool help = false;                                           // print the usage and stop
  bool version = false;                                        // print the version and stop
  records::ValueCount count = records::ValueCount::counted();  // values a record
  unsigned jobs = 0;          // files run at once; 0 for one per processor
  std::string output_dir;     // where the outputs go; empty for beside each file
  bool keep_folders = false;  // the outputs under output_dir at their data file's folder
  std::string summary;        // where the summary table goes ("-": standard output); empty for none
  bool strict = false;        // notes fail their file
  std::uint64_t skip_lines = 0;  // lines passed over at the start of each file
  records::Calendar calendar = records::Calendar::classic;  // of the times
  bool calendar_given = false;     // --calendar was given (with no file: for the dialogue)
  bool split_years = false;        // a pair of outputs for each year of a file
  std::vector<std::string> files;  // the data files, as given
};

// Reads the arguments into opts; returns an empty string, or why the command
// line is refused.
std::string parse_command_line(int argc, char* argv[], Options& opts);

// The usage that --help prints.
extern const std::string_view kUsage;

// The tool started with arguments: prints the usage or the version on out,
// or runs the batch, its summary on out where asked; reports go to err.
// Returns the exit status.
int run_command_line(int argc, char* argv[], textio::Sink& out, textio::Sink& err);

}  // namespace app
