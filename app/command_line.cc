#include "app/command_line.h"

#include <getopt.h>
#include <unistd.h>

#include <charconv>
#include <limits>
#include <string>
#include <system_error>

#include "app/batch.h"
#include "app/console.h"
#include "app/diagnostics.h"
#include "app/run.h"
#include "app/run_state.h"
#include "records/observation.h"
#include "textio/files.h"

namespace app {

const std::string_view kUsage =
    R"(Usage: vantrel [OPTION]... FILE...
       vantrel [-c NAME]  (no file: asks for the data file and the count)

Lists each data file FILE, a record a line (month day year hour minute, then
the values), as STEM.jul with each record's day-of-year and epoch-day times,
and traces where its year has data in STEM.gap. STEM is FILE's base name up
to its first ".": data/st90.all.tmp gives data/st90.jul and data/st90.gap.

  -n, --values=N       each record holds N values after its five date and
                       time parts, 0 to 12; auto (the default) counts them on
                       each file's first record line
  -H, --skip-lines=N   pass over N lines (a logger's header) at the start of
                       each file
  -o, --output-dir=DIR write the outputs into DIR, which must exist, rather
                       than beside each FILE
  -k, --keep-folders   with -o, write each file's outputs under DIR at the
                       folder FILE is given in (made as needed), so that
                       files of one name in two folders do not clash
  -s, --summary=FILE   write a tab-separated table of every FILE, listed or
                       failed, to FILE (- for standard output)
  -S, --strict         fail a file that gets a note, with status 7
  -c, --calendar=NAME  classic (the default): two-digit years are 19YY, leap
                       years 92 and 96 only, right for 1989 to 1999;
                       gregorian: years 1900 to 2099 (four digits, or two:
                       89 to 99 for 1989 to 1999, 00 to 88 for 2000 to 2088),
                       Gregorian leap years. With no FILE, for the dialogue.
  -y, --split-years    list each year of a file as a station-year of its own,
                       STEM-YEAR.jul and STEM-YEAR.gap (YEAR in four digits
                       under gregorian, as written under classic: two digits)
  -j, --jobs=N         run up to N files at once (default: one per processor)
  -h, --help           print this help and exit
  -V, --version        print the version and exit

Each file is a run of its own: the others run on when one fails. Every line on
standard error starts "vantrel: FILE:LINE: error: " for a failure or
"... note: " for a note (a likely mistake that changes nothing). Outputs are
written under a temporary name and put in place when the file's run ends; on
SIGINT, SIGTERM or SIGHUP the files not finished keep their earlier outputs.
Nothing goes to standard output but the summary; at a terminal a status line
shows the progress.

Exit status: 0 when every file was read to its end; otherwise the highest
status of a file: 1 a record could not be read, 2 dates out of order, 4 a file
could not be opened, 5 an output could not be written in full, 6 the values
could not be counted on a file's first record line, 7 a note under --strict;
3 only when the command line was refused and nothing was done; 128 + N when
stopped by signal N.
)";

namespace {

const option kLong[] = {{"values", required_argument, nullptr, 'n'},
                        {"skip-lines", required_argument, nullptr, 'H'},
                        {"output-dir", required_argument, nullptr, 'o'},
                        {"keep-folders", no_argument, nullptr, 'k'},
                        {"summary", required_argument, nullptr, 's'},
                        {"strict", no_argument, nullptr, 'S'},
                        {"calendar", required_argument, nullptr, 'c'},
                        {"split-years", no_argument, nullptr, 'y'},
                        {"jobs", required_argument, nullptr, 'j'},
                        {"help", no_argument, nullptr, 'h'},
                        {"version", no_argument, nullptr, 'V'},
                        {nullptr, 0, nullptr, 0}};

// The option of short name c, as reports name it: "-n (--values)".
std::string option_name(int c) {
  std::string name{'-', static_cast<char>(c)};
  for (const option& o : kLong)
    if (o.val == c) name.append(" (--").append(o.name).append(")");
  return name;
}

// A whole number of digits only, from lo to hi, into v.
template <typename T>
bool whole_number(const char* text, T lo, T hi, T& v) {
  const std::string_view s(text);
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return !s.empty() && ec == std::errc{} && end == s.data() + s.size() && v >= lo && v <= hi;
}

// Why the long option arg is not taken: unknown, or short for several.
std::string unknown_long(const std::string& arg) {
  if (!arg.starts_with("--")) return "unknown option '" + arg + "'";
  const std::string name = arg.substr(2, arg.find('=') - 2);
  std::string matches;
  for (const option& o : kLong)
    if (o.name != nullptr && std::string_view(o.name).starts_with(name))
      matches += std::string(matches.empty() ? "" : " or ") + "--" + o.name;
  if (matches.find(" or ") != std::string::npos) return "option '" + arg + "' could be " + matches;
  return "unknown option '" + arg + "'";
}

// True when opts ask for nothing but what the dialogue takes: a calendar.
bool dialogue_options(const Options& opts) {
  Options plain;
  plain.calendar = opts.calendar;
  plain.calendar_given = opts.calendar_given;
  return opts.count == plain.count && opts.jobs == plain.jobs && opts.output_dir.empty() &&
         !opts.keep_folders && opts.summary.empty() && !opts.strict && opts.skip_lines == 0 &&
         !opts.split_years;
}

// Reports message on err as a refusal of the command line.
void refuse(textio::Sink& err, const std::string& message) {
  const std::string line = report_line(Severity::error, {}, message);
  (void)err.write(line.data(), line.size());
}

}  // namespace

std::string parse_command_line(int argc, char* argv[], Options& opts) {
  // getopt's own messages would name the tool by however it was started;
  // ours start "vantrel:" as every report does.
  opterr = 0;
  optind = 0;
  for (;;) {
    // The leading '-' hands each file over where it stands, as the option
    // 1: options may come before or after the files whatever the
    // environment says (POSIXLY_CORRECT would otherwise stop at the first
    // file).
    const int c = getopt_long(argc, argv, "-:n:H:o:ks:Sc:yj:hV", kLong, nullptr);
    if (c == -1) break;
    switch (c) {
      case 1:
        opts.files.emplace_back(optarg);
        break;
      case 'n': {
        std::int32_t n = 0;
        const auto count = whole_number<std::int32_t>(optarg, 0, records::kMaxValues, n)
                               ? records::ValueCount::of(n)
                               : std::nullopt;
        if (std::string_view(optarg) == "auto") {
          opts.count = records::ValueCount::counted();
        } else if (count) {
          opts.count = *count;
        } else {
          return "-n (--values) takes a whole number from 0 to 12 or auto, not '" +
                 std::string(optarg) + "'";
        }
        break;
      }
      case 'H':
        if (!whole_number<std::uint64_t>(optarg, 0, std::numeric_limits<std::uint64_t>::max(),
                                         opts.skip_lines))
          return "-H (--skip-lines) takes a whole number, not '" + std::string(optarg) + "'";
        break;
      case 'j':
        if (!whole_number<unsigned>(optarg, 1, std::numeric_limits<unsigned>::max(), opts.jobs))
          return "-j (--jobs) takes a whole number of at least 1, not '" + std::string(optarg) +
                 "'";
        break;
      case 'o':
        if (*optarg == '\0') return "-o (--output-dir) names no folder";
        opts.output_dir = optarg;
        break;
      case 's':
        if (*optarg == '\0') return "-s (--summary) names no file";
        opts.summary = optarg;
        break;
      case 'k':
        opts.keep_folders = true;
        break;
      case 'S':
        opts.strict = true;
        break;
      case 'c':
        if (!records::calendar_named(optarg, opts.calendar))
          return "-c (--calendar) takes classic or gregorian, not '" + std::string(optarg) + "'";
        opts.calendar_given = true;
        break;
      case 'y':
        opts.split_years = true;
        break;
      case 'h':
        opts.help = true;
        break;
      case 'V':
        opts.version = true;
        break;
      case ':':
        return option_name(optopt) + " needs a value";
      default:
        // optopt is 0 for an unknown long option, and one of ours for a long
        // option given a value that it does not take (--help=x).
        if (optopt == 0) return unknown_long(argv[optind - 1]);
        if (optopt == 'h' || optopt == 'V' || optopt == 'k' || optopt == 'S' || optopt == 'y')
          return option_name(optopt) + " takes no value";
        return "unknown option '-" + std::string(1, static_cast<char>(optopt)) + "'";
    }
  }
  if (opts.help || opts.version) return {};
  // The files after "--", which getopt leaves where they stand.
  for (int i = optind; i < argc; ++i) opts.files.emplace_back(argv[i]);
  // A calendar alone is the dialogue's.
  if (opts.files.empty() && opts.calendar_given && dialogue_options(opts)) return {};
  if (opts.files.empty()) return "no data file was named";
  if (opts.keep_folders && opts.output_dir.empty())
    return "-k (--keep-folders) keeps the data files' folders under an output folder: give -o DIR";
  return {};
}

int run_command_line(int argc, char* argv[], textio::Sink& out, textio::Sink& err) {
  Options opts;
  const std::string refused = parse_command_line(argc, argv, opts);
  if (!refused.empty()) {
    refuse(err, refused + " (vantrel --help tells more)");
    return kExitDialogue;
  }
  if (opts.help || opts.version) {
    const std::string text =
        opts.help ? std::string(kUsage) : "vantrel " + std::string(kVersion) + "\n";
    const int e = out.write(text.data(), text.size());
    if (e == 0) return kExitOk;
    refuse(err, "standard output could not be written: " + std::generic_category().message(e));
    return kExitWriteFailed;
  }
  if (opts.files.empty()) {  // the dialogue, by the calendar asked for
    textio::FdSource in(0, false);
    Console con(in, out, err);
    textio::DiskFileSystem fs;
    return run(con, fs, opts.calendar);
  }
  return run_batch(opts, out, err, ::isatty(2) == 1);
}

}  // namespace app
