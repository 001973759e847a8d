// vantrel: lists a year of time-stamped observation records with their
// day-of-year and epoch-day times, and traces where the year has data.
// With no arguments it asks for its data file and count at the terminal;
// with arguments it runs the data files they name.
#include <csignal>

#include "app/command_line.h"
#include "app/console.h"
#include "app/run.h"
#include "app/run_state.h"
#include "app/stop.h"
#include "textio/files.h"
#include "textio/stream.h"

int main(int argc, char* argv[]) {
  // A closed pipe on standard output must not kill the run halfway through
  // the listing: writes there fail quietly and the files are still completed.
  std::signal(SIGPIPE, SIG_IGN);
  if (!textio::hold_standard_streams()) return app::kExitOpenFailed;
  app::catch_stop_signals();
  textio::FdSink out(1, false);
  textio::FdSink err(2, false);
  if (argc > 1) return app::run_command_line(argc, argv, out, err);
  textio::FdSource in(0, false);
  app::Console con(in, out, err);
  textio::DiskFileSystem fs;
  return app::run(con, fs);
}
