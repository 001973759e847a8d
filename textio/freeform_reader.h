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
#include <span>
#include <string_view>

#include "textio/block.h"
#include "textio/general_path.h"
#include "textio/item.h"
#include "textio/stream.h"

namespace textio {

// How a read ended.
enum class Outcome {
  whole,  // every item was given a value, left empty, or the read was ended by a slash
  end,    // the source ended before the list was full
  error,  // a value did not fit its item, or the source could not be read
};

// Reads free-form lists of items from one source.
class Reader {
 public:
  // Most bytes asked of the source at a time, unless the reader is told
  // less: large enough that the calls into the kernel cost little (see
  // doc/performance.md), small enough that it and the listing's buffer stay
  // in the second-level cache.
  static constexpr std::size_t kBlockSize = std::size_t{256} * 1024;

  // Reads from src, which must outlive the reader, at most block bytes (at
  // least 2) at a time.
  explicit Reader(Source& src, std::size_t block = kBlockSize);
  Reader(const Reader&) = delete;
  Reader& operator=(const Reader&) = delete;

  // Reads one list; items filled before an end or error keep their new values.
  Outcome read(std::span<const Item> items);
  // Passes over the next n lines whole, whatever they hold (a logger's
  // header), counting them; false when the source ends or fails first.
  bool skip_lines(std::uint64_t n);
  // Counts the line the reader stands on as line n (from 1): for a source
  // whose first lines were passed over before it.
  void number_lines_from(std::uint64_t n) { line_ = record_line_ = n; }

  // Why the last read ended in error.
  Fault fault() const { return general_.fault(); }
  // Index of the item the failing value was meant for.
  std::size_t fault_item() const { return general_.fault_item(); }
  // The errno value of a failed source read, or 0.
  int io_error() const { return in_.io_error(); }
  // The line (from 1) the reader stands on.
  std::uint64_t line() const { return line_; }
  // The line on which the last read met its first value, separator or end.
  std::uint64_t record_line() const { return record_line_; }
  // How many items the last read filled on its first line when it ran over
  // onto the next, or 0 when it did not.
  std::size_t first_line_items() const { return first_line_items_; }
  // How many items the last read left unchanged for an empty value (",,",
  // or r* alone), which keeps what the item held before.
  std::size_t empty_values() const { return empty_values_; }
  // True when the last read met the end of the source after its first
  // value or separator: a record cut short, not a source that had ended.
  bool cut_short() const { return cut_short_; }
  // How many items the last read reached when the end of the source or a
  // slash ended it early, or kNotShort when it filled every item.
  std::size_t reached() const { return reached_; }
  static constexpr std::size_t kNotShort = ~std::size_t{0};
  // The first GeneralPath::kShownToken bytes of the token the last read failed on (none
  // for a failure of the source).
  std::string_view fault_text() const { return general_.fault_text(); }
  // The whole length of that token, which may be longer than its bytes kept.
  std::size_t fault_text_length() const { return general_.fault_text_length(); }

 private:
  int cur() { return in_.cur(); }
  int skip_blanks();
  void skip_line();
  bool line_scan(std::span<const Item> items);
  Outcome read_tokens(std::span<const Item> items);

  Block in_;
  std::uint64_t line_ = 1;
  std::uint64_t record_line_ = 1;
  std::size_t first_line_items_ = 0;
  std::size_t empty_values_ = 0;
  bool cut_short_ = false;
  std::size_t reached_ = kNotShort;
  GeneralPath general_{in_, line_, empty_values_};
};

}  // namespace textio
