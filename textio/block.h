// The reader's window on its source: one block of bytes at a time, read
// into a buffer that starts small and grows as the source fills it, with a
// NUL after the block and zeros past it for the quick paths' eight-byte
// loads, and zeros before it for the line scan's. A carriage return that
// ends a block is held back for the next, so that whether it is the CR of a
// CR LF is always told within one block.
#pragma once

#include <cstddef>
#include <memory>

#include "textio/stream.h"

namespace textio {

// Bytes of one source, a block at a time.
class Block {
 public:
  // Bytes after the NUL that the quick paths' loads may read: zeros.
  static constexpr std::size_t kPadding = 136;
  // Bytes before the block that the line scan's loads may read: zeros (16,
  // which keeps the block as aligned as the buffer).
  static constexpr std::size_t kLead = 16;
  // Bytes asked of the source first.
  static constexpr std::size_t kFirstBlock = 256;

  // Reads from src, which must outlive the block, at most max_block bytes
  // (at least 2, for a held-back carriage return and the byte after it) at a time.
  Block(Source& src, std::size_t max_block);
  Block(const Block&) = delete;
  Block& operator=(const Block&) = delete;

  // The byte under pos, 0 to 255, or -1 at the end of the source.
  int cur() { return (pos_ != end_ || refill()) ? static_cast<unsigned char>(*pos_) : -1; }
  // Reads the next block of the source; false at its end.
  bool refill();
  // True when the carriage return under pos is the CR of a CR LF line end
  // (or the source's very last byte).
  bool cr_ends_line() const;
  // The errno value of a failed read of the source, or 0.
  int io_error() const { return io_error_; }

  // The next byte to read.
  const char* pos() const { return pos_; }
  // Just past the block, where its NUL stands.
  const char* end() const { return end_; }
  // Moves the read position on by n bytes, to end() at most.
  void skip(std::size_t n) { pos_ += n; }
  // Moves the read position on to p, a place in the block at or after it.
  void skip_to(const char* p) { pos_ += p - pos_; }

 private:
  static std::unique_ptr<char[]> new_buffer(std::size_t n);
  // Where a block's first byte goes, after the zeros before it.
  char* start() { return buf_.get() + kLead; }

  char* pos_;
  char* end_;
  Source& src_;
  std::size_t max_block_;
  std::size_t block_;
  std::unique_ptr<char[]> buf_;
  bool eof_ = false;
  bool grow_ = false;  // the source filled the block: the next one is larger
  bool carry_cr_ = false;
  int io_error_ = 0;
};

}  // namespace textio
