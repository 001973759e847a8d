// The run state: every variable of one run, created at the start and living
// until the stop.
#pragma once

#include <cstdint>
#include <string_view>

#include "records/calendar.h"
#include "records/observation.h"
#include "records/timebase.h"
#include "records/trace.h"

namespace app {

// The tool's version, as the banner and --version give it.
constexpr std::string_view kVersion = "0.99";

// Length of the name fields root and name.
constexpr int kNameLength = 32;

// All variables of a run.
struct RunState {
  char root[kNameLength] = {};  // reply 1 as typed, blank-padded; all NUL until a reply fills it
  std::int32_t nval = 10;       // values per record, 0 to 12 once the replies are taken
  std::int32_t rootl = 0;       // length of the stem of the output names
  std::int32_t namel = 0;       // length of the typed name
  char name[kNameLength] = {};  // the data file's name, blank-padded
  records::Observation obs;     // the current record
  float x = 0.0f;               // day-of-year time of the current record
  float bigx = 0.0f;            // epoch-day time of the current record
  float xold = 0.0f;            // day-of-year time of the last record listed; 0.0 before the first
  std::int32_t gap = 1;         // the trace's first-record flag: 1 until the first record is traced
  records::Calendar calendar = records::Calendar::classic;  // of x and bigx
  records::GregorianYear gregorian;                         // the last record's year, gregorian
};

// Exit statuses of the tool.
enum ExitStatus : int {
  kExitOk = 0,           // the data file was read to its end
  kExitReadError = 1,    // a record could not be read or placed in the year
  kExitOutOfOrder = 2,   // a record came before the one above it
  kExitDialogue = 3,     // a reply was missing, unreadable or refused; the command line was refused
  kExitOpenFailed = 4,   // a file could not be opened or created
  kExitWriteFailed = 5,  // the listing or the trace could not be written in full
  kExitNoCount = 6,      // the values of a data file could not be counted on its first record line
  kExitNoted = 7,        // a note, with notes taken as failures (--strict)
};

}  // namespace app
