// Byte streams under the text layer: where bytes are read from and written to.
// The run reads and writes only through these, so a whole run can be driven
// from memory (tests, fuzzing) as well as from files and the terminal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace textio {

// A sequence of bytes to read, such as the data file or standard input.
class Source {
 public:
  virtual ~Source() = default;
  // Reads up to n bytes into buf and sets got (0 at the end); returns 0 or an errno value.
  virtual int read(char* buf, std::size_t n, std::size_t& got) = 0;
};

// A place bytes are written to, such as the listing file or standard output.
class Sink {
 public:
  virtual ~Sink() = default;
  // Writes all n bytes; returns 0 or an errno value.
  virtual int write(const char* p, std::size_t n) = 0;
  // Releases the sink once everything is written; returns 0 or an errno value.
  virtual int close() { return 0; }
  // Puts what was written, once closed, in the place it was opened for,
  // where the sink wrote elsewhere until then; returns 0 or an errno value.
  virtual int commit() { return 0; }
};

// A source over an open file descriptor.
class FdSource : public Source {
 public:
  // Reads from fd; closes it on destruction when owned.
  FdSource(int fd, bool owned) : fd_(fd), owned_(owned) {}
  ~FdSource() override;
  FdSource(const FdSource&) = delete;
  FdSource& operator=(const FdSource&) = delete;
  int read(char* buf, std::size_t n, std::size_t& got) override;

 private:
  int fd_;
  bool owned_;
};

// A sink over an open file descriptor.
class FdSink : public Sink {
 public:
  // Writes to fd; close() closes it when owned.
  FdSink(int fd, bool owned) : fd_(fd), owned_(owned) {}
  ~FdSink() override;
  FdSink(const FdSink&) = delete;
  FdSink& operator=(const FdSink&) = delete;
  int write(const char* p, std::size_t n) override;
  int close() override;

 private:
  int fd_;
  bool owned_;
};

// Bytes read at any offset, for a reader that needs only parts of them.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  // How many bytes there are.
  virtual std::uint64_t size() const = 0;
  // Reads up to n bytes at offset (fewer at the end) into out; returns 0 or an errno value.
  virtual int read(std::uint64_t offset, std::size_t n, std::string& out) const = 0;
};

// Bytes held in memory (not copied), read at any offset.
class MemoryRandomSource : public RandomSource {
 public:
  // Reads data, which must outlive the source.
  explicit MemoryRandomSource(std::string_view data) : data_(data) {}
  std::uint64_t size() const override { return data_.size(); }
  int read(std::uint64_t offset, std::size_t n, std::string& out) const override {
    out = offset < data_.size() ? data_.substr(offset, n) : std::string_view();
    return 0;
  }

 private:
  std::string_view data_;
};

// A source over bytes held in memory (not copied).
class MemorySource : public Source {
 public:
  // Reads the bytes of data, which must outlive the source; at most step
  // bytes a read when step is not 0, as a pipe may hand them over.
  explicit MemorySource(std::string_view data, std::size_t step = 0) : data_(data), step_(step) {}
  int read(char* buf, std::size_t n, std::size_t& got) override;

 private:
  std::string_view data_;
  std::size_t step_;
};

// A sink that keeps what is written in a string.
class MemorySink : public Sink {
 public:
  int write(const char* p, std::size_t n) override {
    text.append(p, n);
    return 0;
  }
  // Everything written so far.
  std::string text;
};

}  // namespace textio
