#include "records/coverage.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "records/calendar.h"
#include "records/listing.h"

namespace records {

namespace {

constexpr std::int64_t kDayMinutes = 1440;
constexpr int kMonthl[12] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// The shares are of whole minutes, as the trace's times rounded to the minute.
// A time far off the year (a trace made by hand) is held at a bound that
// no step line reaches, rather than overflowing.
std::int64_t minutes(double t) {
  const double m = std::floor(t * kDayMinutes + 0.5);
  return m > 1e15    ? std::int64_t{1} << 50
         : m < -1e15 ? -(std::int64_t{1} << 50)
                     : static_cast<std::int64_t>(m);
}

// The value of a time's text, as strtod reads it.
double time_value(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec == std::errc{} && end == text.data() + text.size()) return v;
  return std::strtod(std::string(text).c_str(), nullptr);  // past a double's range
}

// n with a 0 before it below 10.
std::string two(std::int64_t n) {
  std::string s = std::to_string(n);
  if (n < 10) s.insert(s.begin(), '0');
  return s;
}

// part of whole in percent with two decimals, halves up.
std::string percent(std::int64_t part, std::int64_t whole) {
  const std::int64_t p = (part * 20000 + whole) / (2 * whole);
  return std::to_string(p / 100) + "." + two(p % 100);
}

bool digits(std::string_view s) {
  if (s.starts_with('-')) s.remove_prefix(1);
  return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// A time as a trace line writes it: an optional sign, digits with a point
// (or a point and digits), an optional exponent.
bool time_text(std::string_view s) {
  // Past the digits from i.
  const auto past_digits = [s](std::size_t i) {
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
    return i;
  };
  const std::size_t i = s.starts_with('+') || s.starts_with('-') ? 1 : 0;
  std::size_t end = past_digits(i);
  const bool any_whole = end > i;
  if (end < s.size() && s[end] == '.') {
    const std::size_t frac_end = past_digits(end + 1);
    if (!any_whole && frac_end == end + 1) return false;
    end = frac_end;
  } else if (!any_whole) {
    return false;
  }
  if (end < s.size() && (s[end] == 'e' || s[end] == 'E')) {
    std::size_t e = end + 1;
    if (e < s.size() && (s[e] == '+' || s[e] == '-')) ++e;
    end = past_digits(e);
    if (end == e) return false;
  }
  return end == s.size();
}

}  // namespace

// Where a listing line shows the century of its year: the "19" of the
// classic calendar's "-19", or the gregorian calendar's first two digits.
constexpr std::size_t kCentury = kLiterals[1].first + 1;

bool is_record_line(std::string_view line) {
  if (line.size() < static_cast<std::size_t>(kFirstValue.first)) return false;
  for (const Literal& l : kLiterals) {
    // The year's "-", and the century's two digits after it.
    const std::string_view text = l.first + 1 == kCentury ? std::string_view(l.text, 1) : l.text;
    if (line.substr(static_cast<std::size_t>(l.first)).rfind(text, 0) != 0) return false;
  }
  return line[kCentury] >= '0' && line[kCentury] <= '9' && line[kCentury + 1] >= '0' &&
         line[kCentury + 1] <= '9';
}

CoverageBuilder::CoverageBuilder(std::string jul, std::string gap, bool keep_breaks)
    : jul_(std::move(jul)), gap_(std::move(gap)), keep_breaks_(keep_breaks) {}

bool CoverageBuilder::fail(CoverageFault f, std::string message) {
  if (fault_ == CoverageFault::none) {
    fault_ = f;
    message_ = std::move(message);
  }
  return false;
}

// A record's date and time as its line shows them, each field a number.
bool CoverageBuilder::date_of(std::string_view line, std::uint64_t no, std::string& out) {
  static const char* const what[] = {"month", "day", "year", "hour", "minute"};
  std::string_view f[5];
  for (const int k : {2, 0, 1, 3, 4}) {
    const Column& c = kDateColumns[k];
    f[k] = trim(line.substr(static_cast<std::size_t>(c.first), static_cast<std::size_t>(c.width)));
    if (!digits(f[k]))
      return fail(CoverageFault::listing, jul_ + ": line " + std::to_string(no) +
                                              ": the record's " + what[k] + " is not a number (\"" +
                                              std::string(f[k]) + "\")");
  }
  out = std::string(line.substr(kCentury, 2)) + std::string(f[2]) + "-" + std::string(f[0]) + "-" +
        std::string(f[1]) + " " + std::string(f[3]) + ":" + std::string(f[4]);
  return true;
}

bool CoverageBuilder::first_record(std::string_view line, std::uint64_t no) {
  listed_ = true;
  if (!date_of(line, no, cov_.first)) return false;
  cov_.year = std::atoi(cov_.first.c_str());
  leap_ = gregorian_leap(cov_.year);
  return true;
}

int CoverageBuilder::month_start(int y, int k) const {
  return kMonthl[k - 1] + (gregorian_leap(y) && k > 2 ? 1 : 0);
}

// Minutes since 1 January 00:00 of the station-year as a date; a time past
// the year carries into the next.
std::string CoverageBuilder::date(std::int64_t mins) const {
  int y = cov_.year;
  for (std::int64_t days; mins >= (days = gregorian_leap(y) ? 366 : 365) * kDayMinutes;) {
    mins -= days * kDayMinutes;
    ++y;
  }
  const std::int64_t d = mins / kDayMinutes;
  mins -= d * kDayMinutes;
  int k = 12;
  while (k > 1 && d < month_start(y, k)) --k;
  return std::to_string(y) + "-" + two(k) + "-" + two(d - month_start(y, k) + 1) + " " +
         two(mins / 60) + ":" + two(mins % 60);
}

void CoverageBuilder::trace_line(std::string_view line) {
  ++lines_;
  if (fault_ != CoverageFault::none || trace_fault_ != CoverageFault::none) return;
  if (line.ends_with('\r')) line.remove_suffix(1);
  // Two words parted by blanks: the time and the state.
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::string_view w[3];
  std::size_t n = 0;
  for (std::size_t i = 0; n < 3;) {
    while (i < line.size() && blank(line[i])) ++i;
    if (i == line.size()) break;
    const std::size_t start = i;
    while (i < line.size() && !blank(line[i])) ++i;
    w[n++] = line.substr(start, i - start);
  }
  if (n != 2 || !time_text(w[0]) || (w[1] != "0" && w[1] != "1")) {
    trace_fault_ = CoverageFault::trace;
    trace_message_ = gap_ + ": line " + std::to_string(lines_) +
                     ": not a point of a time and a state 0 or 1: \"" + std::string(line) + "\"";
    return;
  }
  // A pair of points is taken once the next shows that its second is not
  // the last, whose time stands for the year's end.
  if (lines_ >= 3) step(prev_, last_);
  std::swap(prev_, last_);
  last_.t = time_value(w[0]);
  last_.s = w[1][0] - '0';
  last_.text.assign(w[0]).append(" ").append(w[1]);
  if (lines_ == 1) first_ = last_;
}

// The pair a, b of points, b on line pairs_ + 2: the step line's rule, and
// what the pair adds to the breaks and to the time with data.
void CoverageBuilder::step(const Point& a, const Point& b) {
  ++pairs_;
  if (a.s == b.s ? b.t < a.t : b.t != a.t) {
    if (step_fault_.empty())
      step_fault_ = gap_ + ": line " + std::to_string(pairs_ + 1) + ": not a step line: \"" +
                    a.text + "\" is followed by \"" + b.text + "\"";
    return;
  }
  const std::int64_t ma = minutes(a.t), mb = minutes(b.t);
  // A break is a fall to 0 followed by a rise to 1: it runs from the last
  // record before it to the first after it. The rise from day 0 before the
  // first record and a fall after the last are not breaks.
  if (a.s == 1 && b.s == 0) {
    down_ = mb;
  } else if (a.s == 0 && b.s == 1 && down_ >= 0) {
    const std::int64_t len = mb - down_;
    ++cov_.gaps;
    if (keep_breaks_) {
      char text[160];
      std::snprintf(text, sizeof text, "  %s to %s  %3lld d %2lld h %2lld min", date(down_).c_str(),
                    date(mb).c_str(), static_cast<long long>(len / kDayMinutes),
                    static_cast<long long>(len % kDayMinutes / 60),
                    static_cast<long long>(len % 60));
      cov_.breaks.emplace_back(text);
    }
    if (len > cov_.longest_min) {
      cov_.longest_min = len;
      cov_.longest_start = date(down_);
    }
    down_ = -1;
  }
  // Time with data: the stretches at 1, split over the months.
  if (a.s == 1 && b.s == 1) {
    for (int k = 1; k <= 12; ++k) {
      std::int64_t lo = month_start(cov_.year, k) * kDayMinutes;
      std::int64_t hi =
          (k < 12 ? month_start(cov_.year, k + 1) : (leap_ ? 366 : 365)) * kDayMinutes;
      lo = std::max(lo, ma);
      hi = std::min(hi, mb);
      if (hi > lo) with_[static_cast<std::size_t>(k - 1)] += hi - lo;
    }
  }
}

bool CoverageBuilder::last_record(std::string_view line, std::uint64_t no) {
  if (fault_ != CoverageFault::none) return false;
  return date_of(line, no, cov_.last);
}

bool CoverageBuilder::finish() {
  if (fault_ != CoverageFault::none) return false;
  if (!listed_) return fail(CoverageFault::empty, jul_ + ": no records: the listing is empty");
  if (trace_fault_ != CoverageFault::none) return fail(trace_fault_, trace_message_);
  const std::string at_last = gap_ + ": line " + std::to_string(lines_);
  if (lines_ == 0) return fail(CoverageFault::trace, gap_ + ": empty, not a coverage trace");
  if (first_.t != 0)
    return fail(CoverageFault::trace,
                gap_ + ": line 1: the trace starts at \"" + first_.text + "\", not at day 0.0");
  if (last_.t != 365)
    return fail(CoverageFault::cut, at_last + ": the trace ends at \"" + last_.text +
                                        "\", not at the year's end 365.0 (did the run that "
                                        "wrote it stop early?)");
  // A last record at 365.0 itself (31 December 00:00 of a leap year) after
  // a break ends on a rise at 365.0, which a closing point would follow: the
  // trace of a run that went on to its end never ends so.
  if (lines_ >= 2 && last_.s == 1 && prev_.s == 0 && prev_.t == 365)
    return fail(CoverageFault::cut, at_last +
                                        ": the trace ends on a rise at 365.0 with no closing "
                                        "point (did the run that wrote it stop early?)");
  // The last point stands for the year's end; in a leap year the times of
  // 31 December, 365.0 to 366.0, come before it.
  const int yearend = leap_ ? 366 : 365;
  last_.t = yearend;
  if (lines_ >= 2) step(prev_, last_);
  if (!step_fault_.empty()) return fail(CoverageFault::trace, step_fault_);

  std::int64_t total = 0;
  for (int k = 1; k <= 12; ++k) {
    const std::int64_t with = with_[static_cast<std::size_t>(k - 1)];
    total += with;
    const int len = (k < 12 ? month_start(cov_.year, k + 1) : yearend) - month_start(cov_.year, k);
    cov_.pct[static_cast<std::size_t>(k - 1)] = percent(with, len * kDayMinutes);
  }
  cov_.pct[12] = percent(total, yearend * kDayMinutes);
  return true;
}

}  // namespace records
