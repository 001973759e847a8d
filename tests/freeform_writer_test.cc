#include "textio/freeform_writer.h"

#include <gtest/gtest.h>

#include <bit>
#include <random>

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
