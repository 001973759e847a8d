#include "textio/freeform_reader.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "textio/chars.h"
#include "textio/decimal.h"
#include "textio/line_scan.h"
#include "textio/quick_token.h"

// The grammar of a read. A read tries three levels in turn, each taking
// only what it reads exactly as the next would: the line scan (a whole
// record line of plain decimals at once, a real in cents form kept as its
// text, which stands for the value it reads as), the quick token (one plain
// decimal from an eight-byte word, or a short byte loop), and the general
// path (any token, its number built digit by digit in a Decimal). Every
// level asks chars.h what a blank is and what ends a number, and decimal.h
// for the 32-bit range and the exact step.

namespace textio {

Reader::Reader(Source& src, std::size_t block) : in_(src, block) {}

bool Reader::at_separator(bool slash_separates) {
  const int c = cur();
  // The end of the source ends a token; a source that failed does not, as
  // the token may have gone on.
  if (c < 0) return in_.io_error() == 0;
  if (c == '/') return slash_separates;
  const Ends e = number_end(static_cast<unsigned>(c));
  return e == Ends::yes || (e == Ends::before_line_end && in_.cr_ends_line());
}

int Reader::skip_blanks() {
  for (;;) {
    int c = cur();
    if (c == '\n') {
      ++line_;
    } else if (!is_blank(c) && !(c == '\r' && in_.cr_ends_line())) {
      return c;
    }
    in_.skip(1);
  }
}

void Reader::skip_line() {
  if (in_.pos() != in_.end() && *in_.pos() == '\n') {  // the record ended right at its line end
    in_.skip(1);
    ++line_;
    return;
  }
  while (cur() >= 0) {
    auto* nl = static_cast<const char*>(
        std::memchr(in_.pos(), '\n', static_cast<std::size_t>(in_.end() - in_.pos())));
    if (nl != nullptr) {
      in_.skip_to(nl + 1);
      ++line_;
      return;
    }
    in_.skip_to(in_.end());
  }
}

int Reader::take(int c) {
  if (token_len_ < kShownToken) token_[token_len_] = static_cast<char>(c);
  ++token_len_;
  in_.skip(1);
  return cur();
}

Reader::Scan Reader::fail(Fault f, std::size_t item) {
  if (in_.io_error() != 0 && cur() < 0) f = Fault::io;  // what stopped the token
  fault_ = f;
  fault_item_ = item;
  // A token that is not a number is shown in the report as far as it goes,
  // not only as far as it was scanned ("62.O5", not "62."), but never past
  // what the report shows: a source of endless bytes must not hold the run.
  if (f == Fault::not_a_number || f == Fault::bad_repeat) {
    for (int c = cur(); c >= 0 && token_len_ <= kShownToken && !at_separator(true);) c = take(c);
  }
  return Scan::error;
}

Outcome Reader::read(std::span<const Item> items) {
  fault_ = Fault::none;
  first_line_items_ = 0;
  token_len_ = 0;
  record_line_ = line_;  // the line scan and the quick token never cross a line end
  const std::size_t n = items.size();
  if (n == 0) {
    if (cur() < 0) return in_.io_error() != 0 ? Outcome::error : Outcome::end;
    skip_line();
    return Outcome::whole;
  }
  // The block is read first, so that a reader's first record, and the first
  // after each refill, can go through the line scan too.
  if (cur() >= 0 && line_scan(items)) return Outcome::whole;
  std::size_t idx = 0;
  bool after_comma = true;  // the start of a read counts as just after a comma
  // Numbers parted by blanks go through the quick token until something
  // else turns up; the general path below then goes on from the same place
  // in the same state.
  while (items[idx].kind != Item::Kind::text) {
    const char* p = in_.pos();
    while (is_blank(*p)) ++p;  // the NUL after the block stops this
    in_.skip_to(p);
    const std::size_t len = quick_token(in_.pos(), items[idx]);
    if (len == 0) break;
    in_.skip(len);
    after_comma = false;
    if (++idx == n) {
      skip_line();
      return Outcome::whole;
    }
  }
  bool started = idx > 0;
  for (;;) {
    int c = skip_blanks();
    if (!started) {  // blank lines before the record are not part of it
      record_line_ = line_;
      started = true;
    } else if (line_ != record_line_ && first_line_items_ == 0) {
      first_line_items_ = idx;
    }
    if (c < 0) {
      if (in_.io_error() == 0) return Outcome::end;
      fail(Fault::io, idx);
      return Outcome::error;
    }
    if (c == ',') {
      in_.skip(1);
      if (after_comma && ++idx == n) break;  // an empty value
      after_comma = true;
      continue;
    }
    if (c == '/') {
      in_.skip(1);
      break;
    }
    after_comma = false;
    // A number goes to the quick token first, and to the general path when
    // the quick token leaves it.
    if (items[idx].kind != Item::Kind::text) {
      if (const std::size_t len = quick_token(in_.pos(), items[idx]); len != 0) {
        in_.skip(len);
        if (++idx >= n) break;
        continue;
      }
    }
    Scan s = items[idx].kind == Item::Kind::text ? read_text_value(items, idx)
                                                 : read_number_value(items, idx);
    if (s == Scan::end) return Outcome::end;
    if (s == Scan::error) return Outcome::error;
    if (idx >= n) break;
  }
  skip_line();
  return Outcome::whole;
}

// Scans digits, point and exponent of one number token. With repeat_allowed,
// a run of plain digits ended by '*' is a repeat count (is_repeat set, the
// count in num.int_value); the caller then scans the value after it.
Reader::Scan Reader::scan_number(Decimal& num, bool repeat_allowed, bool& is_repeat) {
  is_repeat = false;
  int c = cur();
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

// The line scan: the common record, a line of plain decimals, read in one
// go. Stores nothing and returns false for anything else; the quick token and
// the general path then read the record from the same place.
bool Reader::line_scan(std::span<const Item> items) {
  std::uint32_t bits[kLineItems];
  std::uint64_t texts[kLineItems];
  const std::size_t len = scan_line(in_.pos(), items, bits, texts);
  if (len == 0) return false;
  // The scan made each value's bits for its item's kind: an int32's, or a
  // float's beside its kept text.
  static_assert(sizeof(std::int32_t) == 4 && sizeof(float) == 4);
  for (std::size_t k = 0; k < items.size(); ++k) {
    if (items[k].kind == Item::Kind::real) {
      *static_cast<Value*>(items[k].target) = Value(std::bit_cast<float>(bits[k]), texts[k]);
    } else {
      std::memcpy(items[k].target, &bits[k], 4);
    }
  }
  in_.skip(len);
  skip_line();
  return true;
}

Reader::Scan Reader::read_number_value(std::span<const Item> items, std::size_t& idx) {
  Decimal num;
  bool is_repeat = false;
  token_len_ = 0;  // after any value before it in this read
  if (scan_number(num, true, is_repeat) != Scan::ok) return fail(Fault::not_a_number, idx);
  std::uint64_t copies = 1;
  if (is_repeat) {
    copies = num.int_value();
    if (copies == 0) return fail(Fault::bad_repeat, idx);
    if (at_separator(true)) {  // r* alone: r empty values
      idx = static_cast<std::size_t>(std::min<std::uint64_t>(items.size(), idx + copies));
      return Scan::ok;
    }
    num = Decimal{};
    if (scan_number(num, false, is_repeat) != Scan::ok) return fail(Fault::not_a_number, idx);
  }
  std::size_t stop = static_cast<std::size_t>(std::min<std::uint64_t>(items.size(), idx + copies));
  for (; idx < stop; ++idx) {
    const Item& it = items[idx];
    Decimal::Fit f = Decimal::Fit::not_a_number;
    if (it.kind == Item::Kind::integer) {
      f = num.to_int(*static_cast<std::int32_t*>(it.target));
    } else if (it.kind == Item::Kind::real) {
      float v = 0;
      f = num.to_float(v);
      if (f == Decimal::Fit::ok) *static_cast<Value*>(it.target) = v;
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
// is dropped. With repeat_allowed, plain digits ended by '*' give a repeat.
Reader::Scan Reader::scan_text(char* out, int& len, int max, bool repeat_allowed,
                               std::uint64_t& repeat) {
  len = 0;
  repeat = 0;
  auto keep = [&](int c) {
    if (len < max) out[len++] = static_cast<char>(c);
  };
  int c = cur();
  if (c == '\'') {
    in_.skip(1);
    for (;;) {
      c = cur();
      if (c < 0) return in_.io_error() != 0 ? Scan::error : Scan::end;
      const bool line_end_cr = c == '\r' && in_.cr_ends_line();
      in_.skip(1);
      if (c == '\n') {
        ++line_;
      } else if (line_end_cr) {
        // part of a CR LF line end inside the text: dropped with it
      } else if (c != '\'') {
        keep(c);
      } else if (cur() == '\'') {
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
    c = cur();
    in_.skip(1);
    if (digits_only && is_digit(c)) {
      if (count < Decimal::kIntCap) count = count * 10 + static_cast<unsigned>(c - '0');
    } else if (digits_only && c == '*' && len > 0) {
      repeat = count;
      return Scan::ok;
    } else {
      digits_only = false;
    }
    keep(c);
  }
  return Scan::ok;
}

Reader::Scan Reader::read_text_value(std::span<const Item> items, std::size_t& idx) {
  char text[kMaxText];
  int len = 0;
  std::uint64_t copies = 0;
  Scan s = scan_text(text, len, kMaxText, true, copies);
  if (s == Scan::error && in_.io_error() != 0) return fail(Fault::io, idx);
  if (s != Scan::ok) return s == Scan::end ? s : fail(Fault::bad_text, idx);
  if (copies == 0) {
    copies = 1;
  } else {
    if (at_separator(true)) {  // r* alone: r empty values
      idx = static_cast<std::size_t>(std::min<std::uint64_t>(items.size(), idx + copies));
      return Scan::ok;
    }
    std::uint64_t ignored = 0;
    s = scan_text(text, len, kMaxText, false, ignored);
    if (s == Scan::error && in_.io_error() != 0) return fail(Fault::io, idx);
    if (s != Scan::ok) return s == Scan::end ? s : fail(Fault::bad_text, idx);
  }
  std::size_t stop = static_cast<std::size_t>(std::min<std::uint64_t>(items.size(), idx + copies));
  for (; idx < stop; ++idx) {
    const Item& it = items[idx];
    if (it.kind != Item::Kind::text) return fail(Fault::not_a_number, idx);
    auto* field = static_cast<char*>(it.target);
    int k = std::min(len, it.length);
    std::memcpy(field, text, static_cast<std::size_t>(k));
    std::memset(field + k, ' ', static_cast<std::size_t>(it.length - k));
  }
  return Scan::ok;
}

}  // namespace textio
