// Opening the run's files by name. The run asks this interface, never the
// operating system, so that a run can also be played entirely in memory.
#pragma once

#include <memory>
#include <string>

#include "textio/stream.h"

namespace textio {

// Opens files for sequential reading and writing.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens an existing file for reading; on failure returns null and sets err to an errno value.
  virtual std::unique_ptr<Source> open_read(const std::string& path, int& err) = 0;
  // Creates or truncates a file for writing; on failure returns null and sets err.
  virtual std::unique_ptr<Sink> open_write(const std::string& path, int& err) = 0;
};

// The real file system of the process.
class DiskFileSystem : public FileSystem {
 public:
  std::unique_ptr<Source> open_read(const std::string& path, int& err) override;
  std::unique_ptr<Sink> open_write(const std::string& path, int& err) override;
};

// Opens /dev/null on any of standard input, output and error that the
// process was started without, so that no file the run opens takes their
// place and receives the console's lines. False when that cannot be done.
bool hold_standard_streams();

}  // namespace textio
