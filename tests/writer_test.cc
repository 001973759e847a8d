// Free-form lines and the buffered output under every file the run writes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "textio/freeform_writer.h"
#include "textio/output.h"

namespace {

TEST(Writer, FreeFormLines) {
  textio::MemorySink sink;
  textio::Output out(sink);
  textio::FreeLine(out).text("Read error").finish();
  textio::FreeLine(out).integer(3).text("/").integer(-4).text("/").integer(90).real(1.5f).finish();
  textio::FreeLine(out).real(0.0f).integer(0).finish();
  textio::FreeLine(out).text("HEY, ").real(365.0f).text(" x").finish();
  textio::FreeLine(out).real(0.041666668f).real(1e10f).real(-2.5e-7f).real(-0.0f).finish();
  textio::FreeLine(out).integer(-2147483647 - 1).real(16777216.0f).real(3.4028235e38f).finish();
  ASSERT_EQ(out.close(), 0);
  EXPECT_EQ(sink.text,
            " Read error\n"
            " 3/ -4/ 90 1.5\n"
            " 0.0 0\n"
            " HEY, 365.0 x\n"
            " 0.041666668 1.0e+10 -2.5e-07 -0.0\n"
            " -2147483648 16777216.0 3.4028235e+38\n");
}

// Bytes put, written and filled in place, a few of them as large as the
// buffer or larger, arrive once and in order however the buffer grows.
TEST(Writer, OutputLosesNothing) {
  textio::MemorySink sink;
  std::string want;
  textio::Output out(sink);
  std::mt19937 rng(4);
  for (int i = 0; i < 30'000; ++i) {
    const auto c = static_cast<char>('a' + i % 26);
    const std::size_t n = i % 5000 == 0 ? textio::Output::kBufferSize + i : rng() % 300;
    if (n % 3 == 0) {
      out.put(c);
      want += c;
    } else if (n % 3 == 1) {
      out.write(std::string(n, c));
      want.append(n, c);
    } else {
      const std::size_t k = std::min(n, textio::Output::kBufferSize);
      char* q = out.reserve(k);
      std::memset(q, c, k);
      out.commit(q + k);
      want.append(k, c);
    }
  }
  ASSERT_EQ(out.close(), 0);
  EXPECT_EQ(sink.text, want);
}

}  // namespace
