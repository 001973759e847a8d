// The buffered output under every file and stream the run writes.
#include "textio/output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace {

// Bytes put, written and filled in place, a few of them as large as the
// buffer or larger, arrive once and in order however the buffer grows.
TEST(Output, LosesNothing) {
  textio::MemorySink sink;
  std::string want;
  textio::Output out(sink);
  std::mt19937 rng(4);
  for (int i = 0; i < 30'000; ++i) {
    const auto c = static_cast<char>('a' + i % 26);
    const std::size_t n = i % 5000 == 0 ? textio::Output::kBufferSize + i : rng() % 300;
    const std::size_t k = n % 3 == 0   ? 1
                          : n % 3 == 1 ? n
                                       : std::min(n, textio::Output::kBufferSize);
    want.append(k, c);
    if (n % 3 == 0) {
      out.put(c);
    } else if (n % 3 == 1) {
      out.write(std::string(k, c));
    } else {
      out.commit(std::fill_n(out.reserve(k), k, c));
    }
  }
  ASSERT_EQ(out.close(), 0);
  EXPECT_EQ(sink.text, want);
}

}  // namespace
