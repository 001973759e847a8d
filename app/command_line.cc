#include "app/command_line.h"

#include <getopt.h>

#include <charconv>
#include <limits>
#include <string>

#include "records/observation.h"

namespace app {

const std::string_view kUsage =
    R"(Usage: vantrel -n N [-o DIR] [-j N] FILE...
       vantrel            (no arguments: asks for the data file and the count)

Lists each data file FILE, a record a line (month day year hour minute, then
the values), as STEM.jul with each record's day-of-year and epoch-day times,
and traces where its year has data in STEM.gap. STEM is FILE's base name up
to its first ".": data/st90.all.tmp gives data/st90.jul and data/st90.gap.

  -n, --values=N       each record holds N values after its five date and
                       time parts, 0 to 12 (required); auto counts them on
                       each file's first record line
  -o, --output-dir=DIR write the outputs into DIR, which must exist, rather
                       than beside each FILE
  -j, --jobs=N         run up to N files at once (default: one per processor)
  -h, --help           print this help and exit
  -V, --version        print the version and exit

Each file is a run of its own: one that fails is reported on standard error,
each line starting "vantrel: FILE:", and the others run on. Nothing is written
on standard output; at a terminal a status line shows the progress.

Exit status: 0 when every file was read to its end; otherwise the highest
status of a file that failed: 1 a record could not be read, 2 dates out of
order, 4 a file could not be opened, 5 an output could not be written in full.
3: the command line was refused, and no file was touched, or --values auto
found no count on a file's first record line (which must hold a whole record).
)";

namespace {

const option kLong[] = {
    {"values", required_argument, nullptr, 'n'}, {"output-dir", required_argument, nullptr, 'o'},
    {"jobs", required_argument, nullptr, 'j'},   {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},      {nullptr, 0, nullptr, 0}};

// A plain whole number (digits only) from lo to hi, into v.
bool plain_number(const char* text, unsigned lo, unsigned hi, unsigned& v) {
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
    const int c = getopt_long(argc, argv, "-:n:o:j:hV", kLong, nullptr);
    if (c == -1) break;
    unsigned v = 0;
    switch (c) {
      case 1:
        opts.files.emplace_back(optarg);
        break;
      case 'n':
        opts.count_values = std::string_view(optarg) == "auto";
        if (opts.count_values) break;
        if (!plain_number(optarg, 0, records::kMaxValues, v))
          return "-n (--values) takes a whole number from 0 to 12 or auto, not '" +
                 std::string(optarg) + "'";
        opts.nval = static_cast<std::int32_t>(v);
        break;
      case 'j':
        if (!plain_number(optarg, 1, std::numeric_limits<unsigned>::max(), v))
          return "-j (--jobs) takes a whole number of at least 1, not '" + std::string(optarg) +
                 "'";
        opts.jobs = v;
        break;
      case 'o':
        if (*optarg == '\0') return "-o (--output-dir) names no folder";
        opts.output_dir = optarg;
        break;
      case 'h':
        opts.help = true;
        break;
      case 'V':
        opts.version = true;
        break;
      case ':':
        return std::string(optopt == 'n'   ? "-n (--values)"
                           : optopt == 'o' ? "-o (--output-dir)"
                                           : "-j (--jobs)") +
               " needs a value";
      default:
        // optopt is 0 for an unknown long option, and one of ours for a long
        // option given a value that it does not take (--help=x).
        if (optopt == 0) return unknown_long(argv[optind - 1]);
        if (optopt == 'h' || optopt == 'V') return "--help and --version take no value";
        return "unknown option '-" + std::string(1, static_cast<char>(optopt)) + "'";
    }
  }
  if (opts.help || opts.version) return {};
  for (int i = optind; i < argc; ++i) opts.files.emplace_back(argv[i]);
  if (opts.nval < 0 && !opts.count_values)
    return "the number of values per record is needed: -n N (--values=N)";
  if (opts.files.empty()) return "no data file was named";
  return {};
}

}  // namespace app
