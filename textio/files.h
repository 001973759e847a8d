// Opening the run's files by name. The run asks this interface, never the
// operating system, so that a run can also be played entirely in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "textio/stream.h"

namespace textio {

// Opens files for sequential reading and writing.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // Opens an existing file for reading; on failure returns null and sets err to an errno value.
  virtual std::unique_ptr<Source> open_read(const std::string& path, int& err) = 0;
  // Opens a file to be written at path, which replaces what stands there
  // once the sink is committed; on failure returns null and sets err.
  virtual std::unique_ptr<Sink> open_write(const std::string& path, int& err) = 0;
  // Makes the folder path, and those above it, where they are missing;
  // returns 0 or an errno value.
  virtual int make_folders(const std::string& path) = 0;
};

// The real file system of the process. A file opened for writing is
// written under a temporary name in its folder, ".vantrel-PID-N.NAME", and
// renamed into place when committed, so that a run killed outright leaves
// the earlier file whole; one dropped uncommitted is removed. A link is
// followed, and the file it names replaced so. An existing file that may
// not be written is refused. Where renaming cannot be (a device or a pipe,
// or a folder that takes no new file but the file exists), the file is
// written in place.
class DiskFileSystem : public FileSystem {
 public:
  std::unique_ptr<Source> open_read(const std::string& path, int& err) override;
  std::unique_ptr<Sink> open_write(const std::string& path, int& err) override;
  int make_folders(const std::string& path) override;
};

// A file read at any offset, for a reader that needs only parts of it.
class RandomFile : public RandomSource {
 public:
  // Opens path for reading; on failure sets err to an errno value (EISDIR for a folder).
  RandomFile(const std::string& path, int& err);
  ~RandomFile() override;
  RandomFile(const RandomFile&) = delete;
  RandomFile& operator=(const RandomFile&) = delete;
  std::uint64_t size() const override { return size_; }
  int read(std::uint64_t offset, std::size_t n, std::string& out) const override;

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
};

// For a process stopped by a signal: removes the file of every output of
// DiskFileSystem not yet committed but keep's, and lets no other output be
// opened or committed from then on. Returns the names of those being
// written in place, which are left cut.
std::vector<std::string> abandon_outputs(const Sink* keep = nullptr);

// Opens /dev/null on any of standard input, output and error that the
// process was started without, so that no file the run opens takes their
// place and receives the console's lines. False when that cannot be done.
bool hold_standard_streams();

}  // namespace textio
