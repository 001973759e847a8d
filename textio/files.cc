#include "textio/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace textio {

std::unique_ptr<Source> DiskFileSystem::open_read(const std::string& path, int& err) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    err = errno;
    return nullptr;
  }
  // A folder opens fine but cannot be read as records: say so up front.
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    err = EISDIR;
    return nullptr;
  }
  return std::make_unique<FdSource>(fd, true);
}

std::unique_ptr<Sink> DiskFileSystem::open_write(const std::string& path, int& err) {
  // Truncating on open means a file never keeps lines of an earlier run.
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    err = errno;
    return nullptr;
  }
  return std::make_unique<FdSink>(fd, true);
}

bool hold_standard_streams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is the one being filled.
    if (::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY) != fd) return false;
  }
  return true;
}

}  // namespace textio
