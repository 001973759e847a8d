#include "textio/output.h"

#include <algorithm>

namespace textio {

Output::Output(Sink& sink) : sink_(sink), buf_(new char[kBufferSize]) {
  pos_ = buf_.get();
  end_ = pos_ + kBufferSize;
}

void Output::write_slow(const char* p, std::size_t n) {
  while (n > 0) {
    if (pos_ == end_) flush();
    std::size_t k = std::min(n, static_cast<std::size_t>(end_ - pos_));
    std::memcpy(pos_, p, k);
    pos_ += k;
    p += k;
    n -= k;
  }
}

int Output::flush() {
  std::size_t n = static_cast<std::size_t>(pos_ - buf_.get());
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
