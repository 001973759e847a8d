#include "textio/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace textio {

namespace {

// The outputs written under a temporary name and not yet committed, so that
// a stop on a signal can remove them. Its lock is held while such a file is
// created, renamed or removed, so that none is made or moved behind a stop.
struct Pending {
  std::mutex lock;
  std::vector<std::pair<const Sink*, std::string>> files;  // each sink and its temporary name
  bool closed = false;             // stopped: no output may be opened or committed any more
  const Sink* survivor = nullptr;  // but this one, which may still be committed
};

Pending& pending() {
  static Pending p;
  return p;
}

// A file written under a temporary name until committed.
class PendingFile : public FdSink {
 public:
  PendingFile(int fd, std::string temp, std::string path)
      : FdSink(fd, true), temp_(std::move(temp)), path_(std::move(path)) {}
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;
  ~PendingFile() override {
    if (committed_) return;
    const std::lock_guard g(pending().lock);
    if (forget()) ::unlink(temp_.c_str());
  }
  int commit() override {
    const std::lock_guard g(pending().lock);
    if (pending().closed && pending().survivor != this) return EINTR;
    if (::rename(temp_.c_str(), path_.c_str()) != 0) return errno;
    committed_ = true;
    forget();
    return 0;
  }

 private:
  // Takes this file off the pending list; false when a stop removed it.
  bool forget() {
    auto& files = pending().files;
    const auto it =
        std::find_if(files.begin(), files.end(), [this](const auto& f) { return f.first == this; });
    if (it == files.end()) return false;
    files.erase(it);
    return true;
  }

  std::string temp_;
  std::string path_;
  bool committed_ = false;
};

// Opens path in place, created or emptied, as a file that is not replaced.
std::unique_ptr<Sink> open_in_place(const std::string& path, int& err) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    err = errno;
    return nullptr;
  }
  return std::make_unique<FdSink>(fd, true);
}

}  // namespace

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
  struct stat st {};
  const bool exists = ::lstat(path.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    err = EISDIR;
    return nullptr;
  }
  // A link, a device or a pipe is written through, as the user set it up
  // (a renamed file would take the link's place).
  if (exists && !S_ISREG(st.st_mode)) return open_in_place(path, err);

  const std::size_t slash = path.rfind('/');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  Pending& p = pending();
  const std::lock_guard g(p.lock);
  if (p.closed) {
    err = EINTR;
    return nullptr;
  }
  static unsigned serial = 0;
  int fd = -1;
  std::string temp;
  do {
    // The name's start tells what it is; the file's own name is cut where
    // the whole would be longer than a name may be.
    std::string head =
        ".vantrel-" + std::to_string(::getpid()) + "-" + std::to_string(++serial) + ".";
    temp = path.substr(0, base) + head +
           path.substr(base, static_cast<std::size_t>(NAME_MAX) - head.size());
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EEXIST);
  if (fd < 0) {
    // A folder that takes no new file may still let its files be rewritten.
    if (exists) return open_in_place(path, err);
    err = errno;
    return nullptr;
  }
  // The file keeps the permissions it had.
  if (exists) (void)::fchmod(fd, st.st_mode & 07777);
  auto sink = std::make_unique<PendingFile>(fd, temp, path);
  p.files.emplace_back(sink.get(), std::move(temp));
  return sink;
}

RandomFile::RandomFile(const std::string& path, int& err) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
    err = errno;
    return;
  }
  if (S_ISDIR(st.st_mode)) {
    err = EISDIR;
    return;
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
}

RandomFile::~RandomFile() {
  if (fd_ >= 0) ::close(fd_);
}

int RandomFile::read(std::uint64_t offset, std::size_t n, std::string& out) const {
  out.resize(n);
  std::size_t got = 0;
  while (got < n) {
    const ssize_t r = ::pread(fd_, out.data() + got, n - got, static_cast<off_t>(offset + got));
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) return errno;
    if (r == 0) break;
    got += static_cast<std::size_t>(r);
  }
  out.resize(got);
  return 0;
}

int DiskFileSystem::make_folders(const std::string& path) {
  // Each folder from the top down; one that is there already is fine.
  for (std::size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
    const std::string folder = path.substr(0, at);
    if (!folder.empty() && ::mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return errno;
    if (at == std::string::npos) return 0;
  }
}

void abandon_outputs(const Sink* keep) {
  Pending& p = pending();
  const std::lock_guard g(p.lock);
  p.closed = true;
  p.survivor = keep;
  for (const auto& [sink, temp] : p.files)
    if (sink != keep) ::unlink(temp.c_str());
  std::erase_if(p.files, [keep](const auto& f) { return f.first != keep; });
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
