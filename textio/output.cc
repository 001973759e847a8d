#include "textio/output.h"

#include <algorithm>

namespace textio {

Output::Output(Sink& sink) : sink_(sink), buf_(new char[kFirstSize]) {
  pos_ = buf_.get();
  end_ = pos_ + kFirstSize;
}

// Called when the bytes at hand do not fit: the buffer is passed on, and
// one that filled up is followed by a larger one, so that short outputs cost
// no big buffer and long ones are soon written in large blocks.
void Output::make_room(std::size_t n) {
  flush();
  std::size_t size = static_cast<std::size_t>(end_ - buf_.get());
  if (size >= kBufferSize) return;
  do {
    size = std::min(size * 4, kBufferSize);
  } while (size < n && size < kBufferSize);
  buf_.reset(new char[size]);
  pos_ = buf_.get();
  end_ = pos_ + size;
}

void Output::write_slow(const char* p, std::size_t n) {
  while (n > 0) {
    if (pos_ == end_) make_room(1);
    std::size_t k = std::min(n, static_cast<std::size_t>(end_ - pos_));
    std::memcpy(pos_, p, k);
    pos_ += k;
    p += k;
    n -= k;
  }
}

int Output::flush() {
  const std::size_t n = static_cast<std::size_t>(pos_ - buf_.get());
  pos_ = buf_.get();
  // After a failure the bytes are dropped: the caller reports the error, and
  // retrying a full disk for every later line would only slow the run down.
  if (n > 0 && error_ == 0 && !closed_) error_ = sink_.write(buf_.get(), n);
  return error_;
}

int Output::close() {
  flush();
  if (!closed_) {
    closed_ = true;
    int e = sink_.close();
    if (error_ == 0) error_ = e;
  }
  return error_;
}

}  // namespace textio
