#include "textio/freeform_writer.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "textio/freeform_reader.h"

namespace {

TEST(FreeformWriter, LinesOfTextsAndNumbers) {
  textio::MemorySink sink;
  {
    textio::Output out(sink);
    textio::FreeLine(out).text("Read error").finish();
    textio::FreeLine(out)
        .integer(3)
        .text("/")
        .integer(-4)
        .text("/")
        .integer(90)
        .real(1.5f)
        .finish();
    textio::FreeLine(out).real(0.0f).integer(0).finish();
    textio::FreeLine(out).text("HEY, ").real(365.0f).text(" x").finish();
    textio::FreeLine(out).real(0.041666668f).real(1e10f).real(-2.5e-7f).finish();
    out.close();
  }
  EXPECT_EQ(sink.text,
            " Read error\n"
            " 3/ -4/ 90 1.5\n"
            " 0.0 0\n"
            " HEY, 365.0 x\n"
            " 0.041666668 1.0e+10 -2.5e-07\n");
}

// Whatever a real is written as, it reads back to the very same float.
TEST(FreeformWriter, RealsReadBackExactly) {
  std::mt19937 rng(7);
  char buf[32];
  for (int n = 0; n < 2'000'000; ++n) {
    auto bits = static_cast<std::uint32_t>(rng());
    float v = std::bit_cast<float>(bits);
    if (!std::isfinite(v)) continue;
    std::size_t len = textio::format_real(buf, v);
    ASSERT_NE(std::string_view(buf, len).find('.'), std::string_view::npos);
    float back = 0.0f;
    ASSERT_TRUE(textio::parse_real(buf, len, back)) << std::string(buf, len);
    ASSERT_EQ(std::bit_cast<std::uint32_t>(back), bits) << std::string(buf, len);
  }
}

// Keeps the size of every write it is handed.
class CountingSink : public textio::MemorySink {
 public:
  int write(const char* p, std::size_t n) override {
    sizes.push_back(n);
    return MemorySink::write(p, n);
  }
  std::vector<std::size_t> sizes;
};

// The buffer starts small and grows as it fills: every byte arrives once and
// in order whichever way it was put in, room for the largest reserve is
// given at once, and a long output ends up in blocks of the full size.
TEST(FreeformWriter, OutputGrowsAndLosesNothing) {
  CountingSink sink;
  std::string want;
  {
    textio::Output out(sink);
    char* p = out.reserve(textio::Output::kBufferSize);
    std::memset(p, 'r', textio::Output::kBufferSize);
    out.commit(p + textio::Output::kBufferSize);
    want.append(textio::Output::kBufferSize, 'r');
    std::mt19937 rng(4);
    for (int i = 0; i < 200'000; ++i) {
      const auto c = static_cast<char>('a' + i % 26);
      switch (rng() % 3) {
        case 0:
          out.put(c);
          want += c;
          break;
        case 1: {
          const std::string s(rng() % 300, c);
          out.write(s);
          want += s;
          break;
        }
        default: {
          const std::size_t n = rng() % 200;
          char* q = out.reserve(n);
          std::memset(q, c, n);
          out.commit(q + n);
          want.append(n, c);
        }
      }
    }
    out.write(std::string(3'000'000, 'z'));
    want.append(3'000'000, 'z');
    ASSERT_EQ(out.close(), 0);
  }
  EXPECT_EQ(sink.text, want);
  ASSERT_GE(sink.sizes.size(), 3u);
  EXPECT_EQ(sink.sizes[sink.sizes.size() - 2], textio::Output::kBufferSize);
}

TEST(FreeformWriter, ShortOutputIsWrittenOnce) {
  CountingSink sink;
  textio::Output out(sink);
  out.write("abc\n");
  ASSERT_EQ(out.close(), 0);
  EXPECT_EQ(sink.sizes, std::vector<std::size_t>{4});
}

class FailingSink : public textio::Sink {
 public:
  int write(const char*, std::size_t) override { return ENOSPC; }
};

TEST(FreeformWriter, FirstFailureIsKept) {
  FailingSink sink;
  textio::Output out(sink);
  out.write("abc");
  EXPECT_EQ(out.error(), 0);
  EXPECT_EQ(out.close(), ENOSPC);
}

}  // namespace
