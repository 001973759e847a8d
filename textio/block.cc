#include "textio/block.h"

#include <algorithm>
#include <cstring>

namespace textio {

// A block starts small and the next is four times larger each time the
// source fills the one before, up to the largest it was given: a short
// source (a reply, a small file) costs no big buffer, and a long one soon
// reads in large blocks.
Block::Block(Source& src, std::size_t max_block)
    : src_(src),
      // A carriage return held back from the last block takes a byte of the
      // next, so a block needs room for one more.
      max_block_(std::max<std::size_t>(max_block, 2)),
      block_(std::min(max_block_, kFirstBlock)),
      buf_(new_buffer(block_)) {
  pos_ = start();
  end_ = pos_;
  std::memset(end_, 0, 1 + kPadding);
}

// Room for a block of n bytes, its NUL and the padding after it, and the
// zeros before it, which no block overwrites.
std::unique_ptr<char[]> Block::new_buffer(std::size_t n) {
  std::unique_ptr<char[]> b(new char[kLead + n + 1 + kPadding]);
  std::memset(b.get(), 0, kLead);
  return b;
}

bool Block::refill() {
  while (!eof_) {
    if (grow_) {
      // The last block has been read through, and only a held-back carriage
      // return (not kept in the buffer) goes on to the next.
      block_ = std::min(max_block_, block_ * 4);
      buf_ = new_buffer(block_);
      grow_ = false;
    }
    std::size_t keep = 0;
    if (carry_cr_) {
      // A carriage return at the end of a block waits for the next byte, so
      // that the test for a CR LF pair never has to look across blocks.
      start()[0] = '\r';
      keep = 1;
      carry_cr_ = false;
    }
    std::size_t got = 0;
    int e = src_.read(start() + keep, block_ - keep, got);
    if (e != 0) {
      io_error_ = e;
      eof_ = true;
      got = 0;
    } else if (got == 0) {
      eof_ = true;
    }
    std::size_t n = keep + got;
    grow_ = n == block_ && block_ < max_block_;
    if (!eof_ && start()[n - 1] == '\r') {
      carry_cr_ = true;
      --n;
    }
    pos_ = start();
    end_ = pos_ + n;
    // The NUL the quick paths stop at, and the bytes that eight-byte loads
    // up to it may touch: zeros, never what an older block left.
    std::memset(end_, 0, 1 + kPadding);
    if (n > 0) return true;
  }
  return false;
}

// One that ends its block is the source's last byte, unless the next byte,
// held back for the next block, is a carriage return too.
bool Block::cr_ends_line() const {
  return pos_ + 1 == end_ ? !carry_cr_ : pos_[1] == '\n';
}

}  // namespace textio
