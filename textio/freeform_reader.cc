#include "textio/freeform_reader.h"

#include <cstring>

#include "textio/chars.h"
#include "textio/line_scan.h"
#include "textio/quick_token.h"

// The grammar of a read. A read tries three levels in turn, each taking
// only what it reads exactly as the next would: the line scan (a whole
// record line of plain decimals at once, a real in cents form kept as its
// text, which stands for the value it reads as; line_scan.h), the quick
// token (one plain decimal from an eight-byte word, or a short byte loop;
// quick_token.h), and the general path (any token, its number built digit by
// digit in a Decimal; general_path.h). The reader itself keeps the block,
// the separators, the line count and the choice between the levels. Every
// level asks chars.h what a blank is and what ends a number, and decimal.h
// for the 32-bit range and the exact step.

namespace textio {

Reader::Reader(Source& src, std::size_t block) : in_(src, block) {}

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

bool Reader::skip_lines(std::uint64_t n) {
  for (; n > 0; --n) {
    if (cur() < 0) return false;
    skip_line();
  }
  return true;
}

Outcome Reader::read(std::span<const Item> items) {
  general_.start();
  first_line_items_ = 0;
  empty_values_ = 0;
  cut_short_ = false;
  reached_ = kNotShort;
  record_line_ = line_;  // the line scan and the quick token never cross a line end
  // The block is read first, so that a reader's first record, and the first
  // after each refill, can go through the line scan too. The rest is a
  // function of its own, so that the common record costs no more than the
  // line scan's call.
  if (cur() >= 0 && line_scan(items)) return Outcome::whole;
  return read_tokens(items);
}

// A read the line scan left: token by token from where the read starts.
Outcome Reader::read_tokens(std::span<const Item> items) {
  const std::size_t n = items.size();
  if (n == 0) {
    if (cur() < 0) return in_.io_error() != 0 ? Outcome::error : Outcome::end;
    skip_line();
    return Outcome::whole;
  }
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
      reached_ = idx;
      cut_short_ = idx > 0;  // an empty value counts: it was the record's
      if (in_.io_error() == 0) return Outcome::end;
      general_.fail(Fault::io, idx);
      return Outcome::error;
    }
    if (c == ',') {
      in_.skip(1);
      if (after_comma) {  // an empty value
        ++empty_values_;
        if (++idx == n) break;
      }
      after_comma = true;
      continue;
    }
    if (c == '/') {
      in_.skip(1);
      reached_ = idx;
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
    const GeneralPath::Scan s = items[idx].kind == Item::Kind::text ? general_.text(items, idx)
                                                                    : general_.number(items, idx);
    if (s == GeneralPath::Scan::end) {
      cut_short_ = true;  // within a quoted text or after a repeat count
      return Outcome::end;
    }
    if (s == GeneralPath::Scan::error) return Outcome::error;
    if (idx >= n) break;
  }
  skip_line();
  return Outcome::whole;
}

// The line scan: the common record, a line of plain decimals, read in one
// go. Returns false for anything else, having stored at most items that
// the quick token and the general path then reach and store again, as they
// read the record from the same place.
bool Reader::line_scan(std::span<const Item> items) {
  const std::size_t len = scan_line(in_.pos(), items);
  if (len == 0) return false;
  in_.skip(len);
  skip_line();
  return true;
}

}  // namespace textio
