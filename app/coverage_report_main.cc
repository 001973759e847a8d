// vantrel-coverage-report: the coverage of station-years from the outputs
// vantrel wrote for them, as reports to read or as one table.
#include <csignal>

#include "app/coverage_report.h"
#include "textio/stream.h"

int main(int argc, char* argv[]) {
  std::signal(SIGPIPE, SIG_IGN);
  textio::FdSink out(1, false);
  textio::FdSink err(2, false);
  return app::coverage_report(argc, argv, out, err);
}
