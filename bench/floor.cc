// The I/O floor: what the tool's run would cost if reading and writing were
// all it did. Reads DATA to its end and writes each OUTPUT full of blanks to
// the given size, all in blocks of the tool's size (256 KiB) through read(2)
// and write(2), so that bench/run.sh can put the tool's time over this one.
//
//   floor DATA OUTPUT BYTES [OUTPUT BYTES]...
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kBlock = std::size_t{256} * 1024;

bool write_all(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w <= 0) return false;
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc % 2 != 0) {
    std::fprintf(stderr, "usage: %s DATA OUTPUT BYTES [OUTPUT BYTES]...\n", argv[0]);
    return 2;
  }
  std::vector<char> buf(kBlock, ' ');
  const int in = ::open(argv[1], O_RDONLY);
  if (in < 0) return 1;
  for (;;) {
    const ssize_t r = ::read(in, buf.data(), kBlock);
    if (r < 0) return 1;
    if (r == 0) break;
  }
  ::close(in);
  std::memset(buf.data(), ' ', kBlock);
  for (int a = 2; a + 1 < argc; a += 2) {
    const int out = ::open(argv[a], O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) return 1;
    for (std::size_t left = std::strtoull(argv[a + 1], nullptr, 10); left > 0;) {
      const std::size_t n = left < kBlock ? left : kBlock;
      if (!write_all(out, buf.data(), n)) return 1;
      left -= n;
    }
    if (::close(out) != 0) return 1;
  }
  return 0;
}
