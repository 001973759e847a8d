// What the tests and the fuzz targets share: a file system in memory (with
// sources that fail or never end), a record builder, reading one real, and
// how a fuzz target stops.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "records/observation.h"
#include "textio/files.h"
#include "textio/freeform_reader.h"
#include "textio/stream.h"

namespace support {

// Bytes in memory that then fail to be read, as a disk or a network may.
class FailingSource : public textio::Source {
 public:
  explicit FailingSource(std::string_view data) : data_(data) {}
  int read(char* buf, std::size_t n, std::size_t& got) override {
    if (data_.read(buf, n, got) == 0 && got > 0) return 0;
    return EIO;
  }

 private:
  textio::MemorySource data_;
};

// Bytes in memory, then the byte x without end, as /dev/zero or a pipe
// still open gives them.
class EndlessSource : public textio::Source {
 public:
  EndlessSource(std::string_view data, char x) : data_(data), x_(x) {}
  int read(char* buf, std::size_t n, std::size_t& got) override {
    if (data_.read(buf, n, got) == 0 && got > 0) return 0;
    got = std::min<std::size_t>(n, 1000);
    std::fill(buf, buf + got, x_);
    return 0;
  }

 private:
  textio::MemorySource data_;
  char x_;
};

// Files held in a map. Data files are handed over step bytes a read (all at
// once when 0), as a pipe may cut them; the file named full fails every
// write, the one named broken every read past its bytes, and the one named
// endless goes on in x bytes past them.
class MemoryFiles : public textio::FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::string full;
  std::string broken;
  std::string endless;
  std::size_t step = 0;

  std::unique_ptr<textio::Source> open_read(const std::string& path, int& err) override {
    auto it = files.find(path);
    if (it == files.end()) {
      err = ENOENT;
      return nullptr;
    }
    if (path == broken) return std::make_unique<FailingSource>(it->second);
    if (path == endless) return std::make_unique<EndlessSource>(it->second, 'x');
    return std::make_unique<textio::MemorySource>(it->second, step);
  }
  std::unique_ptr<textio::Sink> open_write(const std::string& path, int&) override {
    files[path].clear();
    return std::make_unique<Into>(files[path], path == full);
  }
  int make_folders(const std::string&) override { return 0; }

 private:
  struct Into : textio::Sink {
    Into(std::string& s, bool fails) : text(s), fails(fails) {}
    int write(const char* p, std::size_t n) override {
      if (fails) return ENOSPC;
      text.append(p, n);
      return 0;
    }
    std::string& text;
    bool fails;
  };
};

// Stops a fuzz target, naming the property that broke.
inline void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
  }
}

// A record dated month/day/year hour:min, with its first values.
inline records::Observation record(int month, int day, int year, int hour, int min,
                                   std::initializer_list<float> values = {}) {
  records::Observation o{month, day, year, hour, min};
  std::copy(values.begin(), values.end(), o.val);
  return o;
}

// Reads the float nearest to the decimal text s through the reader: true
// when s is exactly one real (an optional sign, digits with an optional
// point, an optional exponent with e, E, d or D) within the float range.
inline bool parse_real(std::string_view s, float& out) {
  if (s.empty() || s.find_first_of(" ,/*\n\t'") != std::string_view::npos) return false;
  textio::MemorySource src(s);
  textio::Reader reader(src, s.size() + 1);  // a short text needs no big buffer
  textio::Value v;
  const textio::Item item = textio::Item::real_field(v);
  if (reader.read({&item, 1}) != textio::Outcome::whole) return false;
  out = v.value();
  return true;
}

}  // namespace support
