#include "textio/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace textio {

namespace {

// The outputs not yet in place, so that a stop on a signal can remove them
// (or name those written in place, which it cuts). Its lock is held while
// such a file is created, renamed or removed, so that none is made or moved
// behind a stop.
struct Pending {
  struct File {
    const Sink* sink;
    std::string name;  // its temporary name, or its own where it is written in place
    bool in_place;
  };
  std::mutex lock;
  std::vector<File> files;
  bool closed = false;             // stopped: no output may be opened or committed any more
  const Sink* survivor = nullptr;  // but this one, which may still be committed
};

Pending& pending() {
  static Pending p;
  return p;
}

// Takes sink off the pending list; false when a stop took it off first.
bool forget(const Sink* sink) {
  auto& files = pending().files;
  const auto it =
      std::find_if(files.begin(), files.end(), [sink](const auto& f) { return f.sink == sink; });
  if (it == files.end()) return false;
  files.erase(it);
  return true;
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
    if (forget(this)) ::unlink(temp_.c_str());
  }
  int commit() override {
    const std::lock_guard g(pending().lock);
    if (pending().closed && pending().survivor != this) return EINTR;
    if (::rename(temp_.c_str(), path_.c_str()) != 0) return errno;
    committed_ = true;
    forget(this);
    return 0;
  }

 private:
  std::string temp_;
  std::string path_;
  bool committed_ = false;
};

// A file written in place, which a stop cuts: listed as pending until closed.
class InPlaceFile : public FdSink {
 public:
  explicit InPlaceFile(int fd) : FdSink(fd, true) {}
  InPlaceFile(const InPlaceFile&) = delete;
  InPlaceFile& operator=(const InPlaceFile&) = delete;
  ~InPlaceFile() override { done(); }
  int close() override {
    done();
    return FdSink::close();
  }

 private:
  void done() {
    const std::lock_guard g(pending().lock);
    forget(this);
  }
};

// Opens path in place, created or emptied, as a file that is not replaced;
// a stop names it as name.
std::unique_ptr<Sink> open_in_place(const std::string& path, int& err, const std::string& name) {
  Pending& p = pending();
  const std::lock_guard g(p.lock);
  const int fd =
      p.closed ? -1 : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) {
    err = p.closed ? EINTR : errno;
    return nullptr;
  }
  auto sink = std::make_unique<InPlaceFile>(fd);
  p.files.push_back({sink.get(), name, true});
  return sink;
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
  // A link is followed to the file it names, which is replaced as any other
  // is, the link staying; a link that names no file yet is written through.
  std::string target = path;
  struct stat st {};
  bool exists = ::lstat(path.c_str(), &st) == 0;
  if (exists && S_ISLNK(st.st_mode)) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (real == nullptr) return open_in_place(path, err, path);
    target = real;
    std::free(real);
    exists = ::stat(target.c_str(), &st) == 0;
  }
  if (exists && S_ISDIR(st.st_mode)) {
    err = EISDIR;
    return nullptr;
  }
  // A device or a pipe is written through, as the user set it up.
  if (exists && !S_ISREG(st.st_mode)) return open_in_place(path, err, path);
  // A file that may not be written is not replaced either.
  if (exists && ::access(target.c_str(), W_OK) != 0) {
    err = errno;
    return nullptr;
  }

  const std::size_t slash = target.rfind('/');
  const std::size_t base = slash == std::string::npos ? 0 : slash + 1;
  Pending& p = pending();
  std::unique_lock g(p.lock);
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
    temp = target.substr(0, base) + head +
           target.substr(base, static_cast<std::size_t>(NAME_MAX) - head.size());
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EEXIST);
  if (fd < 0) {
    // A folder that takes no new file may still let its files be rewritten.
    err = errno;
    g.unlock();
    return exists ? open_in_place(target, err, path) : nullptr;
  }
  // The file keeps the permissions it had.
  if (exists) (void)::fchmod(fd, st.st_mode & 07777);
  auto sink = std::make_unique<PendingFile>(fd, temp, target);
  p.files.push_back({sink.get(), std::move(temp), false});
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

std::vector<std::string> abandon_outputs(const Sink* keep) {
  Pending& p = pending();
  const std::lock_guard g(p.lock);
  p.closed = true;
  p.survivor = keep;
  std::vector<std::string> cut;
  for (const Pending::File& f : p.files) {
    if (f.sink == keep) continue;
    if (f.in_place) {
      cut.push_back(f.name);
    } else {
      ::unlink(f.name.c_str());
    }
  }
  std::erase_if(p.files, [keep](const auto& f) { return f.sink != keep; });
  return cut;
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
