#include "app/coverage_tap.h"

#include <algorithm>
#include <string_view>

namespace app {

namespace {

// More than the lines of one record, whatever its count of values.
constexpr std::size_t kTail = 512;

}  // namespace

CoverageTap::CoverageTap(textio::Sink& listing, textio::Sink& trace,
                         const std::string& listing_name, const std::string& trace_name)
    : builder_(listing_name, trace_name, false), listing_(listing, *this), trace_(trace, *this) {}

int CoverageTap::Listing::write(const char* p, std::size_t n) {
  const std::string_view bytes(p, n);
  if (!first_whole) {
    const std::size_t end = bytes.find('\n');
    first.append(bytes.substr(0, end));
    if (end != std::string_view::npos) {
      first_whole = true;
      tap_.take_trace();
    }
  }
  tail.append(bytes.substr(n - std::min(n, kTail)));
  if (tail.size() > 2 * kTail) tail.erase(0, tail.size() - kTail);
  return sink_.write(p, n);
}

int CoverageTap::Trace::write(const char* p, std::size_t n) {
  held.append(p, n);
  tap_.take_trace();
  return sink_.write(p, n);
}

// Hands the trace's whole lines to the coverage, once the year is known.
void CoverageTap::take_trace() {
  if (!started_) {
    if (!listing_.first_whole) return;
    started_ = true;
    builder_.first_record(listing_.first, 1);
  }
  std::string_view held = trace_.held;
  for (std::size_t nl; (nl = held.find('\n')) != std::string_view::npos;) {
    builder_.trace_line(held.substr(0, nl));
    held.remove_prefix(nl + 1);
  }
  trace_.held.erase(0, trace_.held.size() - held.size());
}

void CoverageTap::finish(std::uint64_t records, int lines_per_record) {
  take_trace();
  if (!trace_.held.empty()) builder_.trace_line(trace_.held);  // a last line with no end
  trace_.held.clear();
  // The last record line: the last line of the listing that is one.
  std::string_view tail = listing_.tail;
  if (tail.ends_with('\n')) tail.remove_suffix(1);
  for (;;) {
    const std::size_t nl = tail.rfind('\n');
    const std::string_view last = tail.substr(nl == std::string_view::npos ? 0 : nl + 1);
    if (records::is_record_line(last) || nl == std::string_view::npos) {
      const std::uint64_t line =
          records == 0 ? 0 : (records - 1) * static_cast<std::uint64_t>(lines_per_record) + 1;
      if (started_) builder_.last_record(last, line);
      builder_.finish();
      return;
    }
    tail = tail.substr(0, nl);
  }
}

}  // namespace app
