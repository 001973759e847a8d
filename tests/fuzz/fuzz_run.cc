// A whole run in memory on the replies, a NUL byte, then the data file. Every
// run: cut reads (a few bytes at a time) change nothing; every record's
// listing lines have one shape of the layout's widths; the trace is a step line.
// And the command line's run of the data, by either calendar, with the
// count its first record line gives (--values auto) or else its size modulo 13,
// writes what the dialogue writes given the same file and count, ends as it
// does, and says nothing but reports that name the file, some whenever it
// fails; the coverage it builds for its summary is the one the coverage
// report reads back from its outputs.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/batch.h"
#include "app/console.h"
#include "app/coverage_report.h"
#include "app/run.h"
#include "app/run_state.h"
#include "tests/support.h"
#include "textio/first_line.h"
#include "textio/freeform_reader.h"

namespace {

using support::check;

struct Run {
  support::MemoryFiles fs;
  textio::MemorySink out, err;
  int status;
  // Runs on the replies, with the body under the names the common replies
  // give the data file, each read cut at step bytes (whole when 0).
  Run(std::string_view replies, std::string_view body, std::size_t step,
      records::Calendar calendar = records::Calendar::classic) {
    for (const char* name : {"x.tmp", "x.y.tmp", "a.b.tmp", "st90.all.tmp"}) fs.files[name] = body;
    fs.step = step;
    textio::MemorySource in(replies, step % 3);
    app::Console con(in, out, err);
    status = app::run(con, fs, calendar);
  }
  // The output of the stem the replies gave, ending in suffix.
  const std::string& output(std::string_view suffix) const {
    for (const auto& [name, text] : fs.files)
      if (name.size() > 4 && name.substr(name.size() - 4) == suffix) return text;
    check(false, "both outputs exist");
    std::abort();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = all.find('\0');
  if (cut == std::string_view::npos) return 0;
  const std::string_view replies = all.substr(0, cut), body = all.substr(cut + 1);
  const Run run(replies, body, 0);
  check(run.status >= 0 && run.status <= 4, "a known exit status");
  const Run again(replies, body, 1 + body.size() % 7);
  check(again.status == run.status && again.out.text == run.out.text &&
            again.err.text == run.err.text && again.fs.files == run.fs.files,
        "cut reads change nothing");

  // The count as the first record line gives it (--values auto), where it can;
  // else one of the size.
  textio::MemorySource body_source(body);
  const std::size_t numbers = textio::read_first_line(body_source).numbers;
  const bool counted = numbers >= 5 && numbers <= 17;
  const int nval = counted ? static_cast<int>(numbers) - 5 : static_cast<int>(size % 13);
  // By either calendar, as the size of the input chooses.
  const records::Calendar calendar =
      size % 2 == 0 ? records::Calendar::classic : records::Calendar::gregorian;
  const Run dialogue("st90.all\n" + std::to_string(nval) + "\n", body, 0, calendar);
  support::MemoryFiles fs;
  fs.files["in/st90.all.tmp"] = body;
  std::string log;
  app::RunSettings settings;
  settings.count = counted ? records::ValueCount::counted() : *records::ValueCount::of(nval);
  settings.summarise = true;
  settings.calendar = calendar;
  const app::FileRun batch =
      app::run_batch_file(app::names_for_file("in/st90.all.tmp", "out"), settings, fs, log);
  const int status = batch.status;
  const std::string &jul = fs.files["out/st90.jul"], &gap = fs.files["out/st90.gap"];
  check(
      status == dialogue.status && jul == dialogue.output(".jul") && gap == dialogue.output(".gap"),
      "the command line writes and ends as the dialogue does");
  const app::StationYear read =
      app::read_station_year(textio::MemoryRandomSource(jul), textio::MemoryRandomSource(gap),
                             "out/st90.jul", "out/st90.gap", false);
  const records::Coverage &a = batch.coverage, &b = read.cov;
  check(batch.coverage_fault == read.fault &&
            (read.fault != records::CoverageFault::none ||
             (a.gaps == b.gaps && a.longest_min == b.longest_min &&
              a.longest_start == b.longest_start && a.pct == b.pct)) &&
            (!read.dated || (a.year == b.year && a.first == b.first && a.last == b.last)) &&
            (status != app::kExitOk || read.records == batch.records),
        "the summary's coverage is the report's of the outputs");
  std::string_view lines = log;
  check(status == app::kExitOk || !lines.empty(), "a failed file is reported");
  for (std::size_t n = 0; !lines.empty(); lines.remove_prefix(n + 1)) {
    n = lines.find('\n');
    check(n != std::string_view::npos && lines.starts_with("vantrel: in/st90.all.tmp") &&
              (lines.substr(0, n).find(": error: ") != std::string_view::npos ||
               lines.substr(0, n).find(": note: ") != std::string_view::npos),
          "each report is a line that names its file and says whether it is an error or a note");
  }

  if (run.status == app::kExitDialogue || run.status == app::kExitOpenFailed) return 0;

  // Every record has the same count of values: a first line of 33 + 9k
  // characters (k up to 10) and, with 11 or 12 values, a second of 7 or 16.
  std::string_view listing = run.output(".jul");
  std::size_t first = 0, second = 0;
  for (std::size_t line = 0; !listing.empty(); ++line) {
    const std::size_t n = listing.find('\n');
    check(n != std::string_view::npos, "every line ends");
    if (line == 0) first = n;
    if (line == 1 && first == 123 && n < 33) second = n;
    const std::size_t want = second != 0 && line % 2 == 1 ? second : first;
    check(n == want && first >= 33 && (first - 33) % 9 == 0 && first <= 123 &&
              (second == 0 || second == 7 || second == 16),
          "every record's lines have one shape of the layout's widths");
    listing.remove_prefix(n + 1);
  }

  // Each point is " time state"; between points the line steps up or down
  // in place or runs on at one state (on from 0 to the first record, and on
  // to 365 at the end, in whichever direction), and a closed one ends at 365.
  std::string_view trace = run.output(".gap");
  float time = 0.0f;
  int state = -1;
  while (!trace.empty()) {
    const std::size_t n = trace.find('\n'), blank = trace.rfind(' ', n);
    float t = 0.0f;
    check(n != std::string_view::npos && trace[0] == ' ' && blank + 2 == n &&
              support::parse_real(trace.substr(1, blank - 1), t) &&
              (trace[n - 1] == '0' || trace[n - 1] == '1'),
          "a trace line is a blank, a time, a blank and 0 or 1");
    const int s = trace[n - 1] - '0';
    check(state < 0    ? t == 0.0f
          : s != state ? t == time
                       : t >= time || time == 0.0f || t == 365.0f,
          "the trace is a step line from 0");
    time = t;
    state = s;
    trace.remove_prefix(n + 1);
  }
  check(run.status != app::kExitOk || time == 365.0f, "a closed trace ends at 365");
  return 0;
}
