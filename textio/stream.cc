#include "textio/stream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace textio {

FdSource::~FdSource() {
  if (owned_) ::close(fd_);
}

int FdSource::read(char* buf, std::size_t n, std::size_t& got) {
  for (;;) {
    ssize_t r = ::read(fd_, buf, n);
    if (r >= 0) {
      got = static_cast<std::size_t>(r);
      return 0;
    }
    if (errno != EINTR) {
      got = 0;
      return errno;
    }
  }
}

FdSink::~FdSink() {
  if (owned_ && fd_ >= 0) ::close(fd_);
}

int FdSink::write(const char* p, std::size_t n) {
  while (n > 0) {
    ssize_t r = ::write(fd_, p, n);
    if (r < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += r;
    n -= static_cast<std::size_t>(r);
  }
  return 0;
}

int FdSink::close() {
  if (!owned_ || fd_ < 0) return 0;
  int fd = fd_;
  fd_ = -1;
  // A file system may only report a failed write (quota, network) at close.
  return ::close(fd) == 0 ? 0 : errno;
}

int MemorySource::read(char* buf, std::size_t n, std::size_t& got) {
  got = std::min({n, data_.size(), step_ != 0 ? step_ : n});
  if (got > 0) std::memcpy(buf, data_.data(), got);
  data_.remove_prefix(got);
  return 0;
}

}  // namespace textio
