#include "textio/general_path.h"

#include <algorithm>
#include <cstring>

#include "textio/chars.h"
#include "textio/decimal.h"

namespace textio {

bool GeneralPath::at_separator(bool slash_separates) {
  const int c = in_.cur();
  // The end of the source ends a token; a source that failed does not, as
  // the token may have gone on.
  if (c < 0) return in_.io_error() == 0;
  if (c == '/') return slash_separates;
  const Ends e = number_end(static_cast<unsigned>(c));
  return e == Ends::yes || (e == Ends::before_line_end && in_.cr_ends_line());
}

int GeneralPath::take(int c) {
  if (token_len_ < kShownToken) token_[token_len_] = static_cast<char>(c);
  ++token_len_;
  in_.skip(1);
  return in_.cur();
}

GeneralPath::Scan GeneralPath::fail(Fault f, std::size_t item) {
  if (in_.io_error() != 0 && in_.cur() < 0) f = Fault::io;  // what stopped the token
  fault_ = f;
  fault_item_ = item;
  // A token that is not a number is shown in the report as far as it goes,
  // not only as far as it was scanned ("62.O5", not "62."), but never past
  // what the report shows: a source of endless bytes must not hold the run.
  if (f == Fault::not_a_number || f == Fault::bad_repeat) {
    for (int c = in_.cur(); c >= 0 && token_len_ <= kShownToken && !at_separator(true);)
      c = take(c);
  }
  return Scan::error;
}

// Scans digits, point and exponent of one number token. With repeat_allowed,
// a run of plain digits ended by '*' is a repeat count (is_repeat set, the
// count in num.int_value); the caller then scans the value after it.
GeneralPath::Scan GeneralPath::scan_number(Decimal& num, bool repeat_allowed, bool& is_repeat) {
  is_repeat = false;
  int c = in_.cur();
  if (c == '+' || c == '-') {
    num.neg = c == '-';
    repeat_allowed = false;
    c = take(c);
  }
  while (is_digit(c)) {
    num.int_digit(c - '0');
    c = take(c);
  }
  if (c == '*' && repeat_allowed && num.any_digit()) {
    take(c);
    is_repeat = true;
    return Scan::ok;
  }
  if (c == '.') {
    num.point = true;
    c = take(c);
    while (is_digit(c)) {
      num.frac_digit(c - '0');
      c = take(c);
    }
  }
  if (!num.any_digit()) return Scan::error;
  if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
    num.exponent = true;
    c = take(c);
    if (c == '+' || c == '-') {
      num.exp_neg = c == '-';
      c = take(c);
    }
    if (!is_digit(c)) return Scan::error;
    while (is_digit(c)) {
      num.exp_digit(c - '0');
      c = take(c);
    }
  }
  return at_separator(true) ? Scan::ok : Scan::error;
}

// Moves idx past the copies empty values of r* alone, as far as the items
// go, each leaving its item unchanged.
GeneralPath::Scan GeneralPath::empty_values(std::span<const Item> items, std::size_t& idx,
                                            std::uint64_t copies) {
  const std::size_t stop =
      static_cast<std::size_t>(std::min<std::uint64_t>(items.size(), idx + copies));
  empties_ += stop - idx;
  idx = stop;
  return Scan::ok;
}

GeneralPath::Scan GeneralPath::number(std::span<const Item> items, std::size_t& idx) {
  Decimal num;
  bool is_repeat = false;
  token_len_ = 0;  // after any value before it in this read
  if (scan_number(num, true, is_repeat) != Scan::ok) return fail(Fault::not_a_number, idx);
  std::uint64_t copies = 1;
  if (is_repeat) {
    copies = num.int_value();
    if (copies == 0) return fail(Fault::bad_repeat, idx);
    if (at_separator(true)) return empty_values(items, idx, copies);  // r* alone
    num = Decimal{};
    if (scan_number(num, false, is_repeat) != Scan::ok) return fail(Fault::not_a_number, idx);
  }
  std::size_t stop = static_cast<std::size_t>(std::min<std::uint64_t>(items.size(), idx + copies));
  for (; idx < stop; ++idx) {
    const Item& it = items[idx];
    Decimal::Fit f = Decimal::Fit::not_a_number;
    if (it.kind == Item::Kind::integer) {
      std::int32_t v = 0;
      f = num.to_int(v);
      if (f == Decimal::Fit::ok) it.store(v);
    } else if (it.kind == Item::Kind::real) {
      float v = 0;
      f = num.to_float(v);
      if (f == Decimal::Fit::ok) it.store(Value(v));
    }
    if (f != Decimal::Fit::ok) {
      return fail(f == Decimal::Fit::out_of_range ? Fault::out_of_range : Fault::not_a_number, idx);
    }
  }
  return Scan::ok;
}

// Scans one text token into out (up to max characters kept, len set to the
// length kept). An unquoted text ends at a blank, comma or line end; a slash
// belongs to it, since file names may hold one. A quoted text may hold
// blanks and commas, '' stands for one apostrophe, and a line end inside it
// is dropped. With repeat_allowed, plain digits ended by '*' are a repeat
// count (is_repeat set, the count in repeat) and not part of the text.
GeneralPath::Scan GeneralPath::scan_text(char* out, int& len, int max, bool repeat_allowed,
                                         bool& is_repeat, std::uint64_t& repeat) {
  len = 0;
  is_repeat = false;
  repeat = 0;
  auto keep = [&](int c) {
    if (len < max) out[len++] = static_cast<char>(c);
  };
  int c = in_.cur();
  if (c == '\'') {
    in_.skip(1);
    for (;;) {
      c = in_.cur();
      if (c < 0) return in_.io_error() != 0 ? Scan::error : Scan::end;
      const bool line_end_cr = c == '\r' && in_.cr_ends_line();
      in_.skip(1);
      if (c == '\n') {
        ++line_;
      } else if (line_end_cr) {
        // part of a CR LF line end inside the text: dropped with it
      } else if (c != '\'') {
        keep(c);
      } else if (in_.cur() == '\'') {
        in_.skip(1);
        keep('\'');
      } else {
        break;
      }
    }
    return at_separator(true) ? Scan::ok : Scan::error;
  }
  bool digits_only = repeat_allowed;
  std::uint64_t count = 0;
  while (!at_separator(false)) {
    c = in_.cur();
    in_.skip(1);
    if (digits_only && is_digit(c)) {
      if (count < Decimal::kIntCap) count = count * 10 + static_cast<unsigned>(c - '0');
    } else if (digits_only && c == '*' && len > 0) {
      is_repeat = true;
      repeat = count;
      return Scan::ok;
    } else {
      digits_only = false;
    }
    keep(c);
  }
  return Scan::ok;
}

GeneralPath::Scan GeneralPath::text(std::span<const Item> items, std::size_t& idx) {
  char kept[kMaxText];
  int len = 0;
  bool is_repeat = false;
  std::uint64_t copies = 0;
  Scan s = scan_text(kept, len, kMaxText, true, is_repeat, copies);
  if (s == Scan::error && in_.io_error() != 0) return fail(Fault::io, idx);
  if (s != Scan::ok) return s == Scan::end ? s : fail(Fault::bad_text, idx);
  if (!is_repeat) {
    copies = 1;
  } else {
    // "0*" counts no copies, here as before a number.
    if (copies == 0) return fail(Fault::bad_repeat, idx);
    if (at_separator(true)) return empty_values(items, idx, copies);  // r* alone
    std::uint64_t ignored = 0;
    s = scan_text(kept, len, kMaxText, false, is_repeat, ignored);
    if (s == Scan::error && in_.io_error() != 0) return fail(Fault::io, idx);
    if (s != Scan::ok) return s == Scan::end ? s : fail(Fault::bad_text, idx);
  }
  std::size_t stop = static_cast<std::size_t>(std::min<std::uint64_t>(items.size(), idx + copies));
  for (; idx < stop; ++idx) {
    const Item& it = items[idx];
    if (it.kind != Item::Kind::text) return fail(Fault::not_a_number, idx);
    it.store(std::string_view(kept, static_cast<std::size_t>(len)));
  }
  return Scan::ok;
}

}  // namespace textio
