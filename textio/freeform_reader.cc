#include "textio/freeform_reader.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cstring>
#include <system_error>

#include "textio/digit_word.h"
#include "textio/line_scan.h"

namespace textio {

namespace {

// Digits kept of a real's mantissa. The decimal expansion of a point halfway
// between two floats has at most 112 significant digits, so the first 120 and
// whether anything non-zero follows decide the rounding exactly.
constexpr int kMaxDigits = 120;

// Accumulators stop growing here; anything past it is out of every range.
constexpr std::uint64_t kIntCap = 100000000000000000ull;  // 1e17
constexpr std::int64_t kExpCap = 1000000000000ll;         // 1e12

// Bytes after the sentinel that the loads of the line scan and of the quick
// token scan may read.
constexpr std::size_t kPadding = kLineReach;

bool is_digit(int c) {
  return static_cast<unsigned>(c - '0') < 10;
}

}  // namespace

// A number as it is scanned: sign, significant digits and decimal exponent.
// Its value is 0.digits times ten to the power exp10.
struct Reader::Number {
  bool neg = false;
  bool any_digit = false;
  bool point = false;
  bool exponent = false;
  bool sticky = false;          // a non-zero digit past the kept ones
  int ndig = 0;                 // significant digits kept
  std::uint64_t int_value = 0;  // the digits before any point, saturated at kIntCap
  std::int64_t exp10 = 0;
  std::int64_t exp_value = 0;  // the exponent part, saturated at kExpCap
  bool exp_neg = false;
  char digits[kMaxDigits];

  void int_digit(int d) {
    any_digit = true;
    if (int_value < kIntCap) int_value = int_value * 10 + static_cast<unsigned>(d);
    if (ndig == 0 && d == 0) return;
    keep(d);
    ++exp10;
  }
  void frac_digit(int d) {
    any_digit = true;
    if (ndig == 0 && d == 0) {
      --exp10;
      return;
    }
    keep(d);
  }
  void exp_digit(int d) {
    if (exp_value < kExpCap) exp_value = exp_value * 10 + d;
  }
  void keep(int d) {
    if (ndig < kMaxDigits) {
      digits[ndig++] = static_cast<char>('0' + d);
    } else if (d != 0) {
      sticky = true;
    }
  }

  // The value as a 32-bit integer; false when it has a point or exponent or does not fit.
  Fault to_int(std::int32_t& out) const {
    if (point || exponent) return Fault::not_a_number;
    std::uint64_t limit = neg ? 2147483648ull : 2147483647ull;
    if (int_value > limit) return Fault::out_of_range;
    auto u = static_cast<std::uint32_t>(int_value);
    out = static_cast<std::int32_t>(neg ? 0u - u : u);
    return Fault::none;
  }

  // The float nearest to the value, ties to even.
  Fault to_float(float& out) const {
    float v = 0.0f;
    if (ndig > 0) {
      std::int64_t e = exp10 + (exp_neg ? -exp_value : exp_value);
      if (e > 39) return Fault::out_of_range;  // at least 1e38 * 10 > FLT_MAX
      if (e < -45) {
        v = 0.0f;  // below half the smallest subnormal: rounds to zero
      } else if (!fast_path(static_cast<int>(e), v) && !slow_path(static_cast<int>(e), v)) {
        return Fault::out_of_range;
      }
    }
    out = neg ? -v : v;
    return Fault::none;
  }

  // Clinger's fast path: a mantissa of at most 24 bits and a power of ten that
  // a float holds exactly give the correctly rounded value in one operation.
  bool fast_path(int e, float& v) const {
    if (sticky || ndig > 8) return false;
    std::uint32_t m = 0;
    for (int i = 0; i < ndig; ++i) m = m * 10 + static_cast<std::uint32_t>(digits[i] - '0');
    int k = e - ndig;
    if (m > (1u << 24) || k < -10 || k > 10) return false;
    v = k < 0 ? static_cast<float>(m) / kPow10[-k] : static_cast<float>(m) * kPow10[k];
    return true;
  }

  // Everything else goes through the library's correctly rounded conversion.
  bool slow_path(int e, float& v) const {
    char text[kMaxDigits + 16];
    char* p = text;
    *p++ = '0';
    *p++ = '.';
    std::memcpy(p, digits, static_cast<std::size_t>(ndig));
    p += ndig;
    if (sticky) *p++ = '1';
    *p++ = 'e';
    p = std::to_chars(p, text + sizeof text, e).ptr;
    auto r = std::from_chars(text, p, v, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
      if (e > 0) return false;
      v = 0.0f;  // underflow: the nearest float is zero
    }
    return true;
  }
};

// The reader starts on a small block and takes a four times larger one each
// time the source fills the block it has, up to the largest it was given: a
// short source (a reply, a small file) costs no big buffer, and a long one
// soon reads in large blocks. The default largest block is large enough that
// the calls into the kernel cost little (a quarter as many as 64 KiB blocks
// took 3 ms off a year), and small enough that it and the listing's buffer
// stay in the second-level cache.
Reader::Reader(Source& src, std::size_t block)
    : src_(src),
      // A carriage return held back from the last block takes a byte of the
      // next, so a block needs room for one more.
      max_block_(std::max<std::size_t>(block, 2)),
      block_(std::min(max_block_, kFirstBlock)),
      buf_(new char[block_ + 1 + kPadding]) {
  pos_ = buf_.get();
  end_ = pos_;
  std::memset(end_, 0, 1 + kPadding);
}

bool Reader::refill() {
  while (!eof_) {
    if (grow_) {
      // The last block has been read through, and only a held-back carriage
      // return (not kept in the buffer) goes on to the next.
      block_ = std::min(max_block_, block_ * 4);
      buf_.reset(new char[block_ + 1 + kPadding]);
      grow_ = false;
    }
    std::size_t keep = 0;
    if (carry_cr_) {
      // A carriage return at the end of a block waits for the next byte, so
      // that the test for a CR LF pair never has to look across blocks.
      buf_[0] = '\r';
      keep = 1;
      carry_cr_ = false;
    }
    std::size_t got = 0;
    int e = src_.read(buf_.get() + keep, block_ - keep, got);
    if (e != 0) {
      io_error_ = e;
      eof_ = true;
      got = 0;
    } else if (got == 0) {
      eof_ = true;
    }
    std::size_t n = keep + got;
    grow_ = n == block_ && block_ < max_block_;
    if (!eof_ && buf_[n - 1] == '\r') {
      carry_cr_ = true;
      --n;
    }
    pos_ = buf_.get();
    end_ = pos_ + n;
    // The sentinel the fast scans stop at, and the bytes that eight-byte
    // loads up to it may touch: zeros, never what an older block left.
    std::memset(end_, 0, 1 + kPadding);
    if (n > 0) return true;
  }
  return false;
}

// True when the carriage return under pos_ stands before a line end (or at
// the very end of the source): it is then part of a CR LF line end, not data.
// One that ends its block is the source's last byte, unless the next byte,
// held back for the next block, is a carriage return too.
bool Reader::cr_ends_line() const {
  return pos_ + 1 == end_ ? !carry_cr_ : pos_[1] == '\n';
}

bool Reader::at_separator(bool slash_separates) {
  int c = cur();
  switch (c) {
    case -1:
    case ' ':
    case '\t':
    case '\n':
    case ',':
      return true;
    case '/':
      return slash_separates;
    case '\r':
      return cr_ends_line();
    default:
      return false;
  }
}

int Reader::skip_blanks() {
  for (;;) {
    int c = cur();
    if (c == '\n') {
      ++line_;
    } else if (c != ' ' && c != '\t' && !(c == '\r' && cr_ends_line())) {
      return c;
    }
    ++pos_;
  }
}

void Reader::skip_line() {
  if (pos_ != end_ && *pos_ == '\n') {  // the record ended right at its line end
    ++pos_;
    ++line_;
    return;
  }
  while (cur() >= 0) {
    auto* nl = static_cast<char*>(std::memchr(pos_, '\n', static_cast<std::size_t>(end_ - pos_)));
    if (nl != nullptr) {
      pos_ = nl + 1;
      ++line_;
      return;
    }
    pos_ = end_;
  }
}

Reader::Scan Reader::fail(Fault f, std::size_t item) {
  fault_ = f;
  fault_item_ = item;
  return Scan::error;
}

Outcome Reader::read(std::span<const Item> items) {
  fault_ = Fault::none;
  record_line_ = line_;  // the quick scan below never crosses a line end
  const std::size_t n = items.size();
  if (n == 0) {
    if (cur() < 0) return io_error_ != 0 ? Outcome::error : Outcome::end;
    skip_line();
    return Outcome::whole;
  }
  if (read_line(items)) return Outcome::whole;
  std::size_t idx = 0;
  bool after_comma = true;  // the start of a read counts as just after a comma
  // The common record, numbers parted by blanks on one line, goes through the
  // fast scan until something else turns up; the general loop below then goes
  // on from the same place in the same state.
  while (items[idx].kind != Item::Kind::text) {
    const char* p = pos_;
    while (*p == ' ' || *p == '\t') ++p;  // the sentinel stops this at the block's end
    pos_ += p - pos_;
    if (!fast_number(items[idx])) break;
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
    }
    if (c < 0) {
      if (io_error_ == 0) return Outcome::end;
      fail(Fault::io, idx);
      return Outcome::error;
    }
    if (c == ',') {
      ++pos_;
      if (after_comma && ++idx == n) break;  // an empty value
      after_comma = true;
      continue;
    }
    if (c == '/') {
      ++pos_;
      break;
    }
    after_comma = false;
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
Reader::Scan Reader::scan_number(Number& num, bool repeat_allowed, bool& is_repeat) {
  is_repeat = false;
  int c = cur();
  if (c == '+' || c == '-') {
    num.neg = c == '-';
    repeat_allowed = false;
    ++pos_;
    c = cur();
  }
  while (is_digit(c)) {
    num.int_digit(c - '0');
    ++pos_;
    c = cur();
  }
  if (c == '*' && repeat_allowed && num.any_digit) {
    ++pos_;
    is_repeat = true;
    return Scan::ok;
  }
  if (c == '.') {
    num.point = true;
    ++pos_;
    c = cur();
    while (is_digit(c)) {
      num.frac_digit(c - '0');
      ++pos_;
      c = cur();
    }
  }
  if (!num.any_digit) return Scan::error;
  if (c == 'e' || c == 'E' || c == 'd' || c == 'D') {
    num.exponent = true;
    ++pos_;
    c = cur();
    if (c == '+' || c == '-') {
      num.exp_neg = c == '-';
      ++pos_;
      c = cur();
    }
    if (!is_digit(c)) return Scan::error;
    while (is_digit(c)) {
      num.exp_digit(c - '0');
      ++pos_;
      c = cur();
    }
  }
  return at_separator(true) ? Scan::ok : Scan::error;
}

// The common record, a line of plain decimals, read in one go. Stores nothing
// and returns false for anything else; the token-by-token path then reads the
// record from the same place.
bool Reader::read_line(std::span<const Item> items) {
  std::uint32_t bits[kLineItems];
  const std::size_t len = scan_line(pos_, items, bits);
  if (len == 0) return false;
  // An int32 and a float are both four bytes, and the scan made each value's
  // bits for its item's kind, so every item takes its bits the same way.
  static_assert(sizeof(std::int32_t) == 4 && sizeof(float) == 4);
  for (std::size_t k = 0; k < items.size(); ++k) std::memcpy(items[k].target, &bits[k], 4);
  pos_ += len;
  skip_line();
  return true;
}

// The common token, a plain decimal such as 12 or -3.25 standing well inside
// the block, read in one pass with no refills. Returns false, with nothing
// consumed, for anything it does not handle; the general path then reads it.
inline bool Reader::fast_number(const Item& item) {
  // The block ends in a NUL sentinel, which ends no number, and is followed
  // by padding, so eight-byte loads never leave the buffer and a token cut
  // by the block's end is left to the general path.
  if constexpr (std::endian::native == std::endian::little) {
    PlainDecimal n;
    const int len = plain_decimal(load_word(pos_), n);
    if (len == 0) return fast_number_bytes(item);
    if (item.kind == Item::Kind::integer) {
      if (n.point) return false;
      *static_cast<std::int32_t*>(item.target) =
          static_cast<std::int32_t>(n.neg ? 0u - n.digits : n.digits);
    } else {
      // At most seven digits: both operands are exact floats, so the one
      // division rounds correctly.
      float v = static_cast<float>(n.digits) / kPow10[n.frac];
      *static_cast<float*>(item.target) = n.neg ? -v : v;
    }
    pos_ += len;
    return true;
  } else {
    return fast_number_bytes(item);
  }
}

// The same with a byte loop, for tokens of eight characters or more and for
// big-endian machines.
bool Reader::fast_number_bytes(const Item& item) {
  const char* p = pos_;
  bool neg = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  std::uint64_t m = 0;
  const char* first = p;
  while (is_digit(*p)) m = m * 10 + static_cast<unsigned>(*p++ - '0');
  std::ptrdiff_t digits = p - first;
  std::ptrdiff_t frac = 0;
  if (*p == '.') {
    if (item.kind == Item::Kind::integer) return false;
    const char* point = ++p;
    while (is_digit(*p)) m = m * 10 + static_cast<unsigned>(*p++ - '0');
    frac = p - point;
  }
  if (digits + frac == 0 || digits + frac > 19) return false;
  return fast_store(item, p, m, static_cast<int>(frac), neg);
}

// Stores the digits m (frac of them after the point) in item when the token
// ends at p in a separator and the value converts exactly in one step.
inline bool Reader::fast_store(const Item& item, const char* p, std::uint64_t m, int frac,
                               bool neg) {
  char c = *p;
  if (p == end_ || !(c == ' ' || c == '\n' || c == ',' || c == '\t' || c == '/' ||
                     (c == '\r' && p + 1 != end_ && p[1] == '\n')))
    return false;
  if (item.kind == Item::Kind::integer) {
    if (m > (neg ? 2147483648ull : 2147483647ull)) return false;
    auto u = static_cast<std::uint32_t>(m);
    *static_cast<std::int32_t*>(item.target) = static_cast<std::int32_t>(neg ? 0u - u : u);
  } else {
    if (m > (1u << 24) || frac > 10) return false;
    // Both operands are exact floats, so the one division rounds correctly.
    float v = static_cast<float>(m) / kPow10[frac];
    *static_cast<float*>(item.target) = neg ? -v : v;
  }
  pos_ += p - pos_;
  return true;
}

Reader::Scan Reader::read_number_value(std::span<const Item> items, std::size_t& idx) {
  if (fast_number(items[idx])) {
    ++idx;
    return Scan::ok;
  }
  Number num;
  bool is_repeat = false;
  if (scan_number(num, true, is_repeat) != Scan::ok) return fail(Fault::not_a_number, idx);
  std::uint64_t copies = 1;
  if (is_repeat) {
    copies = num.int_value;
    if (copies == 0) return fail(Fault::bad_repeat, idx);
    if (at_separator(true)) {  // r* alone: r empty values
      idx = static_cast<std::size_t>(std::min<std::uint64_t>(items.size(), idx + copies));
      return Scan::ok;
    }
    num = Number{};
    if (scan_number(num, false, is_repeat) != Scan::ok) return fail(Fault::not_a_number, idx);
  }
  std::size_t stop = static_cast<std::size_t>(std::min<std::uint64_t>(items.size(), idx + copies));
  for (; idx < stop; ++idx) {
    const Item& it = items[idx];
    Fault f = Fault::not_a_number;
    if (it.kind == Item::Kind::integer) {
      f = num.to_int(*static_cast<std::int32_t*>(it.target));
    } else if (it.kind == Item::Kind::real) {
      f = num.to_float(*static_cast<float*>(it.target));
    }
    if (f != Fault::none) return fail(f, idx);
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
    ++pos_;
    for (;;) {
      c = cur();
      if (c < 0) return io_error_ != 0 ? Scan::error : Scan::end;
      const bool line_end_cr = c == '\r' && cr_ends_line();
      ++pos_;
      if (c == '\n') {
        ++line_;
      } else if (line_end_cr) {
        // part of a CR LF line end inside the text: dropped with it
      } else if (c != '\'') {
        keep(c);
      } else if (cur() == '\'') {
        ++pos_;
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
    ++pos_;
    if (digits_only && is_digit(c)) {
      if (count < kIntCap) count = count * 10 + static_cast<unsigned>(c - '0');
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
  if (s == Scan::error && io_error_ != 0) return fail(Fault::io, idx);
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
    if (s == Scan::error && io_error_ != 0) return fail(Fault::io, idx);
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

bool parse_real(const char* s, std::size_t n, float& out) {
  MemorySource src(std::string_view(s, n));
  Reader reader(src, n + 1);  // a short text needs no big buffer
  float v = 0.0f;
  Item item = Item::real_field(v);
  // The text must be exactly one real: nothing before, nothing after.
  if (n == 0 || std::memchr(s, ' ', n) != nullptr || std::memchr(s, ',', n) != nullptr ||
      std::memchr(s, '/', n) != nullptr || std::memchr(s, '*', n) != nullptr ||
      std::memchr(s, '\n', n) != nullptr || std::memchr(s, '\t', n) != nullptr)
    return false;
  if (reader.read({&item, 1}) != Outcome::whole) return false;
  out = v;
  return true;
}

}  // namespace textio
