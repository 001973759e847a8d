#include "app/summary.h"

#include <string_view>

#include "app/diagnostics.h"
#include "app/run_state.h"

namespace app {

namespace {

constexpr std::string_view kColumns[] = {"path",
                                         "stem",
                                         "outputs",
                                         "status",
                                         "exit",
                                         "values",
                                         "counted",
                                         "records",
                                         "first_record",
                                         "last_record",
                                         "year",
                                         "gaps",
                                         "longest_gap_min",
                                         "longest_gap_start",
                                         "year_pct",
                                         "jan_pct",
                                         "feb_pct",
                                         "mar_pct",
                                         "apr_pct",
                                         "may_pct",
                                         "jun_pct",
                                         "jul_pct",
                                         "aug_pct",
                                         "sep_pct",
                                         "oct_pct",
                                         "nov_pct",
                                         "dec_pct",
                                         "notes",
                                         "message"};

}  // namespace

std::string summary_header() {
  std::string line;
  for (const std::string_view c : kColumns) line.append(c).push_back('\t');
  line.back() = '\n';
  return line;
}

std::string status_word(int status) {
  switch (status) {
    case kExitOk:
      return "listed";
    case kExitReadError:
      return "read-error";
    case kExitOutOfOrder:
      return "out-of-order";
    case kExitDialogue:
      return "refused";
    case kExitOpenFailed:
      return "cannot-open";
    case kExitWriteFailed:
      return "write-failed";
    case kExitNoCount:
      return "no-count";
    case kExitNoted:
      return "noted";
    default:
      return "stopped";
  }
}

std::string summary_row(const std::string& path, const FileNames& names, const FileRun& run) {
  const std::string& out = names.listing;
  const std::string stem_path = out.substr(0, out.size() - 4);
  const std::size_t slash = stem_path.rfind('/');
  const std::string stem = slash == std::string::npos ? stem_path : stem_path.substr(slash + 1);
  const bool opened =
      run.status != kExitOpenFailed && run.status != kExitNoCount && run.status != kExitDialogue;
  const records::Coverage& c = run.coverage;
  const bool dated = opened && !c.first.empty();
  std::string row = shown_name(path) + '\t' + shown_name(stem) + '\t' + shown_name(stem_path) +
                    '\t' + status_word(run.status) + '\t' + std::to_string(run.status) + '\t';
  // The count and whether it was taken from the file, where it is known.
  row +=
      (run.nval >= 0 ? std::to_string(run.nval) + (run.counted ? "\tyes" : "\tno") : "\t") + '\t';
  row += (opened ? std::to_string(run.records) : "") + '\t';
  row += (dated ? c.first + '\t' + c.last + '\t' + std::to_string(c.year) : "\t\t") + '\t';
  if (run.covered) {
    row += std::to_string(c.gaps) + '\t' + std::to_string(c.longest_min) + '\t' + c.longest_start +
           '\t' + c.pct[12];
    for (int k = 0; k < 12; ++k) row += '\t' + c.pct[static_cast<std::size_t>(k)];
  } else {
    row += std::string(15, '\t');
  }
  row += '\t' + note_names(run.notes) + '\t' + shown_name(run.message) + '\n';
  return row;
}

}  // namespace app
