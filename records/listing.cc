#include "records/listing.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <iterator>
#include <utility>

#include "records/field_edit.h"

namespace records {

namespace {

// The first line's literal texts in their places and blanks between them,
// where the fields are written.
constexpr std::array<char, kFirstValue.first> kLiteralRow = [] {
  std::array<char, kFirstValue.first> row{};
  row.fill(' ');
  for (const Literal& l : kLiterals) {
    for (std::size_t c = 0; l.text[c] != '\0'; ++c)
      row[static_cast<std::size_t>(l.first) + c] = l.text[c];
  }
  return row;
}();

// The time in time column i, with the field editor's copy for its shape.
template <std::size_t i>
void put_time(char* line, float v) {
  constexpr Column c = kTimeColumns[i];
  edit_real<c.width, c.decimals>(line + c.first, v);
}

// The date and time parts of two digits each as their pairs, in their
// columns after the row's blanks (the same text as the field editor's, with
// kIntDigits of 2): a copy each, the columns known where it is made.
template <std::size_t... i>
[[gnu::always_inline]] inline void put_pairs(char* line, const std::int32_t* date,
                                             std::index_sequence<i...> /*columns*/) {
  static_assert(kIntDigits == 2);
  ((std::memcpy(line + kDateColumns[i].first + kDateColumns[i].width - 2,
                kDigitPairs + std::ptrdiff_t{2} * date[i], 2)),
   ...);
}

// An integer in column c.
inline void put(char* line, const Column& c, std::int32_t v) {
  edit_int(line + c.first, v, c.width, kIntDigits);
}

// The line(s) of obs with year in the year's field.
inline std::size_t format_lines(char* out, const Observation& obs, Times t, std::int32_t nval,
                                std::int32_t year) {
  std::memcpy(out, kLiteralRow.data(), kLiteralRow.size());
  put_time<0>(out, t.x);
  put_time<1>(out, t.bigx);
  const std::int32_t date[] = {obs.month, obs.day, year, obs.hour, obs.min};
  static_assert(std::size(date) == std::size(kDateColumns));
  bool all_pairs = true;
  for (std::int32_t v : date) all_pairs &= two_digits(v);
  if (all_pairs) {  // the common date
    put_pairs(out, date, std::make_index_sequence<std::size(kDateColumns)>());
  } else {
    for (std::size_t i = 0; i < std::size(date); ++i) put(out, kDateColumns[i], date[i]);
  }
  const int n = nval;
  const int first = std::min(n, kValuesPerLine);
  char* p = out + kFirstValue.first;
  // The first line's values, with two decimals, show a value kept as its
  // text as that text; the second line's, with three, ask for their floats.
  static_assert(kFirstValue.width == 9 && kFirstValue.decimals == 2, "the cents fields");
  edit_cents(p, obs.val, first);
  p += std::ptrdiff_t{kFirstValue.width} * first;
  *p++ = '\n';
  if (n > kValuesPerLine) {
    for (int k = kValuesPerLine; k < n; ++k) {
      const Column& c = kTimeColumns[k - kValuesPerLine];
      edit_real(p, obs.val[k].value(), c.width, c.decimals);
      p += c.width;
    }
    *p++ = '\n';
  }
  return static_cast<std::size_t>(p - out);
}

}  // namespace

std::size_t format_listing(char* out, const Observation& obs, Times t, std::int32_t nval) {
  return format_lines(out, obs, t, nval, obs.year);
}

std::size_t format_listing(char* out, const Observation& obs, Times t, std::int32_t nval,
                           int full_year) {
  // The year's last two digits in its field, and its century over the
  // literal's "19".
  const std::size_t n = format_lines(out, obs, t, nval, full_year % 100);
  std::memcpy(out + kLiterals[1].first + 1, kDigitPairs + std::ptrdiff_t{2} * (full_year / 100), 2);
  return n;
}

}  // namespace records
