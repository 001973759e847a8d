// Free-form reading: the replies at the terminal and the records of the data
// file. Values are separated by blanks (a tab, or a line end, counts as one) or
// by one comma with optional blanks around it; an empty value between commas,
// or r* for r of them, leaves its item unchanged; r*v stands for r copies of v;
// a slash ends the read early. Once the list is full the rest of the line is
// dropped. The source is read in fixed-size blocks, so neither the length of a
// line nor that of a value costs memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "textio/stream.h"

namespace textio {

// How a read ended.
enum class Outcome {
  whole,  // every item was given a value, left empty, or the read was ended by a slash
  end,    // the source ended before the list was full
  error,  // a value did not fit its item, or the source could not be read
};

// What went wrong when a read ended in error.
enum class Fault {
  none,
  not_a_number,  // a token that is not a number of its item's kind (7.5 for an integer, NaN, 1e)
  out_of_range,  // a number beyond its item's range (an integer past 32 bits, a real past float)
  bad_repeat,    // a repeat count of zero
  bad_text,      // a quoted text followed by something other than a separator
  io,            // the source reported a failure
};

// One place a read stores a value in.
struct Item {
  enum class Kind : std::uint8_t { text, integer, real };
  Kind kind;
  int length;    // width of a text field, 1 to Reader::kMaxText
  void* target;  // the field itself

  // A text field of length characters, stored left-justified and blank-padded.
  static Item text_field(char* field, int length) { return {Kind::text, length, field}; }
  // A 32-bit signed integer.
  static Item integer_field(std::int32_t& v) { return {Kind::integer, 0, &v}; }
  // A single-precision real.
  static Item real_field(float& v) { return {Kind::real, 0, &v}; }
};

// Reads free-form lists of items from one source.
class Reader {
 public:
  // The widest text field an item may have.
  static constexpr int kMaxText = 64;

  // Most bytes asked of the source at a time, unless the reader is told less.
  static constexpr std::size_t kBlockSize = std::size_t{256} * 1024;
  // Bytes asked of the source first; the block grows as the source fills it.
  static constexpr std::size_t kFirstBlock = 256;

  // Reads from src, which must outlive the reader, at most block bytes (at
  // least 2) at a time.
  explicit Reader(Source& src, std::size_t block = kBlockSize);
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // Reads one list; items filled before an end or error keep their new values.
  Outcome read(std::span<const Item> items);

  // Why the last read ended in error.
  Fault fault() const { return fault_; }
  // Index of the item the failing value was meant for.
  std::size_t fault_item() const { return fault_item_; }
  // The errno value of a failed source read, or 0.
  int io_error() const { return io_error_; }
  // The line (from 1) the reader stands on.
  std::uint64_t line() const { return line_; }
  // The line on which the last read met its first value, separator or end.
  std::uint64_t record_line() const { return record_line_; }

 private:
  struct Number;
  enum class Scan { ok, end, error };

  int cur() { return (pos_ != end_ || refill()) ? static_cast<unsigned char>(*pos_) : -1; }
  bool refill();
  bool cr_ends_line() const;
  bool at_separator(bool slash_separates);
  int skip_blanks();
  void skip_line();
  Scan fail(Fault f, std::size_t item);
  bool read_line(std::span<const Item> items);
  bool fast_number(const Item& item);
  bool fast_number_bytes(const Item& item);
  bool fast_store(const Item& item, const char* p, std::uint64_t m, int frac, bool neg);
  Scan scan_number(Number& num, bool repeat_allowed, bool& is_repeat);
  Scan scan_text(char* out, int& len, int max, bool repeat_allowed, std::uint64_t& repeat);
  Scan read_text_value(std::span<const Item> items, std::size_t& idx);
  Scan read_number_value(std::span<const Item> items, std::size_t& idx);

  Source& src_;
  std::size_t max_block_;
  std::size_t block_;
  std::unique_ptr<char[]> buf_;
  char* pos_;
  char* end_;
  bool eof_ = false;
  bool grow_ = false;  // the source filled the block: the next one is larger
  bool carry_cr_ = false;
  int io_error_ = 0;
  Fault fault_ = Fault::none;
  std::size_t fault_item_ = 0;
  std::uint64_t line_ = 1;
  std::uint64_t record_line_ = 1;
};

// Reads the float nearest to the decimal text s (an optional sign, digits with
// an optional point, an optional exponent with e, E, d or D); false when s is
// not such a number or lies beyond the float range. Exposed for tests.
bool parse_real(const char* s, std::size_t n, float& out);

}  // namespace textio
