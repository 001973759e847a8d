// Buffered writing to a sink, with the first failure kept so that a full disk
// is reported once, at the point where the caller checks, and never lost.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

#include "textio/stream.h"

namespace textio {

// One output file or stream, written through a buffer that starts small and
// grows, as it fills, to a fixed size.
class Output {
 public:
  // Largest size of the buffer; also the most that reserve() can hand out.
  static constexpr std::size_t kBufferSize = std::size_t{256} * 1024;
  // Size the buffer starts at.
  static constexpr std::size_t kFirstSize = 4096;

  // Writes to sink, which must outlive the output.
  explicit Output(Sink& sink);
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // Appends n bytes.
  void write(const char* p, std::size_t n) {
    if (n <= static_cast<std::size_t>(end_ - pos_)) {
      std::memcpy(pos_, p, n);
      pos_ += n;
    } else {
      write_slow(p, n);
    }
  }
  // Appends the bytes of s.
  void write(std::string_view s) { write(s.data(), s.size()); }
  // Appends one byte.
  void put(char c) {
    if (pos_ == end_) make_room(1);
    *pos_++ = c;
  }
  // Room for n (at most kBufferSize) bytes to fill in place; hand back the end with commit().
  char* reserve(std::size_t n) {
    if (n > static_cast<std::size_t>(end_ - pos_)) make_room(n);
    return pos_;
  }
  // Takes the bytes filled after reserve() up to end.
  void commit(char* end) { pos_ = end; }

  // Passes the buffer on to the sink; returns 0 or the first errno value seen.
  int flush();
  // Flushes, then closes the sink; returns 0 or the first errno value seen.
  int close();
  // The first errno value seen, or 0 while every write has succeeded.
  int error() const { return error_; }

 private:
  void write_slow(const char* p, std::size_t n);
  void make_room(std::size_t n);

  Sink& sink_;
  std::unique_ptr<char[]> buf_;
  char* pos_;
  char* end_;
  int error_ = 0;
  bool closed_ = false;
};

}  // namespace textio
