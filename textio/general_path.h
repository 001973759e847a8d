// The general path, the reader's third level: any one value the quicker
// levels leave, a number of any form (a repeat count, an exponent, digits
// past what a float holds) built digit by digit in a Decimal, or a text. It
// reads a byte at a time through the block, so that a token may cross a
// refill and may be of any length, and it is the one level that names a
// fault: it keeps the failing token's first bytes for the report.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "textio/block.h"
#include "textio/item.h"

namespace textio {

class Decimal;

// What went wrong when a read ended in error.
enum class Fault {
  none,
  not_a_number,  // a token that is not a number of its item's kind (7.5 for an integer, NaN, 1e)
  out_of_range,  // a number beyond its item's range (an integer past 32 bits, a real past float)
  bad_repeat,    // a repeat count of zero
  bad_text,      // a quoted text followed by something other than a separator
  io,            // the source reported a failure
};

// Reads one value at a time from a block, for items of one read.
class GeneralPath {
 public:
  // The widest text field an item may have.
  static constexpr int kMaxText = 64;
  // The most bytes of a failing token kept for the report.
  static constexpr std::size_t kShownToken = 40;

  // How a value's scan ended.
  enum class Scan { ok, end, error };

  // Reads from in; counts the line ends inside quoted texts in line, and
  // the items left unchanged by r* alone in empties.
  GeneralPath(Block& in, std::uint64_t& line, std::size_t& empties)
      : in_(in), line_(line), empties_(empties) {}

  // Forgets the last fault, at the start of a read.
  void start() {
    fault_ = Fault::none;
    token_len_ = 0;
  }
  // Reads the value under the block's position into items[idx], a number's
  // item, and any copies a repeat count asks for after it; idx moves past
  // the items given.
  Scan number(std::span<const Item> items, std::size_t& idx);
  // The same for a text, which only a text's item takes.
  Scan text(std::span<const Item> items, std::size_t& idx);
  // Ends the read in error with f for items[item]; a failed source under
  // the position is reported as such, whatever f.
  Scan fail(Fault f, std::size_t item);

  // Why the last read ended in error, and at which item.
  Fault fault() const { return fault_; }
  std::size_t fault_item() const { return fault_item_; }
  // The first kShownToken bytes of the token the read failed on.
  std::string_view fault_text() const {
    return {token_, token_len_ < kShownToken ? token_len_ : kShownToken};
  }
  // The whole length of that token, which may be longer than its bytes kept.
  std::size_t fault_text_length() const { return token_len_; }

 private:
  bool at_separator(bool slash_separates);
  int take(int c);
  Scan empty_values(std::span<const Item> items, std::size_t& idx, std::uint64_t copies);
  Scan scan_number(Decimal& num, bool repeat_allowed, bool& is_repeat);
  Scan scan_text(char* out, int& len, int max, bool repeat_allowed, bool& is_repeat,
                 std::uint64_t& repeat);

  Block& in_;
  std::uint64_t& line_;
  std::size_t& empties_;
  Fault fault_ = Fault::none;
  std::size_t fault_item_ = 0;
  char token_[kShownToken] = {};
  std::size_t token_len_ = 0;
};

}  // namespace textio
