// Bytes read as lists of every kind of item until they run out: the quick
// paths change nothing (the bytes handed over one at a time, all through the
// general path, give the same outcomes, faults, lines and values, bit for
// bit); a text kept is printf's for its value with two decimals; every real
// is the one glibc's correctly rounded strtof gives.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "tests/support.h"
#include "textio/freeform_reader.h"

namespace {

using support::check;

// One list of items and the storage it fills.
struct List {
  struct {
    char text[2][40];
    std::int32_t ints[3];
    float reals[12];
  } v{};                    // the values, compared bit for bit (signed zeros and NaNs included)
  textio::Value reals[12];  // the reals as read, some kept as their texts
  textio::Item items[17];
  std::size_t n = 0;

  explicit List(unsigned shape) {
    if (shape & 1)
      items[n++] = textio::Item::text_field(v.text[0], 1 + static_cast<int>(shape % 32));
    for (unsigned i = 0; i < 1 + (shape >> 1) % 3; ++i)
      items[n++] = textio::Item::integer_field(v.ints[i]);
    for (unsigned i = 0; i < (shape >> 3) % 13; ++i)
      items[n++] = textio::Item::real_field(reals[i]);
    if (shape & 0x80) items[n++] = textio::Item::text_field(v.text[1], 32);
  }

  // The values, each real as the float it stands for (a kept text stays
  // until a later read of its item, so that one left behind shows).
  auto values() const {
    auto r = v;
    for (std::size_t i = 0; i < std::size(reals); ++i) {
      r.reals[i] = reals[i].value();
      if (reals[i].text() == 0) continue;
      char text[32];
      const int len = std::snprintf(text, sizeof text, "%.2f", static_cast<double>(r.reals[i]));
      check(len <= 8 && textio::Value::kept({text, static_cast<std::size_t>(len)}).text() ==
                            reals[i].text(),
            "a text kept is its value with two decimals");
    }
    return r;
  }
};

// The text as one real: the reader and strtof agree on its value, or on
// refusing a decimal that overflows.
void check_real(std::string text) {
  float got = 0.0f;
  const bool ok = support::parse_real(text, got);
  for (char& c : text) c = c == 'd' || c == 'D' ? 'e' : c;  // strtof knows no D exponent
  // Hex, infinities, NaNs and leading white space are strtof's, not ours.
  if (text.find_first_of("xXnNiIpP\v\f") != std::string::npos) return;
  char* end = nullptr;
  const float want = std::strtof(text.c_str(), &end);
  const bool whole = !text.empty() && end == text.c_str() + text.size();
  if (ok) {
    check(whole, "a real the reader takes is a decimal");
    check(std::bit_cast<std::uint32_t>(got) == std::bit_cast<std::uint32_t>(want),
          "a real is the float strtof gives");
  } else if (whole) {
    check(std::isinf(want), "the reader refuses only reals beyond the float range");
  }
}

// The decimal exactly halfway between a float and the next (a tie to even),
// and the same with a 1 far past the digits the reader keeps (no tie).
void check_halfway(std::uint32_t u) {
  const float f = std::fabs(std::bit_cast<float>(u));
  if (!std::isfinite(f) || f == std::numeric_limits<float>::max()) return;
  const float next = std::nextafter(f, std::numeric_limits<float>::infinity());
  const double mid = (static_cast<double>(f) + static_cast<double>(next)) / 2;  // exact
  char buf[256];
  std::snprintf(buf, sizeof buf, "%.150e", mid);  // glibc prints the exact expansion
  std::string text = buf;
  check_real(text);
  text.insert(text.find('e'), "1");
  check_real(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the shape of the list, the rest is the text.
  const unsigned shape = data[0];
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  textio::MemorySource whole(text);
  textio::MemorySource bytes(text, 1);
  textio::Reader quick(whole);
  textio::Reader slow(bytes);
  List a(shape);
  List b(shape);

  for (int round = 0; round < 1000; ++round) {
    // Only the line scan keeps a text, and only of a line it takes whole.
    std::uint64_t kept[std::size(a.reals)];
    for (std::size_t i = 0; i < std::size(a.reals); ++i) kept[i] = a.reals[i].text();
    textio::Outcome o = quick.read({a.items, a.n});
    textio::Outcome p = slow.read({b.items, b.n});
    const auto x = a.values();
    const auto y = b.values();
    // NOLINTNEXTLINE(bugprone-suspicious-memory-comparison): the bits are what must agree
    check(o == p && quick.line() == slow.line() && std::memcmp(&x, &y, sizeof x) == 0,
          "quick and slow agree");
    if (o == textio::Outcome::error) {
      check(quick.fault() == slow.fault() && quick.fault_item() == slow.fault_item(),
            "quick and slow fail alike");
    }
    if (o != textio::Outcome::whole) {
      for (std::size_t i = 0; i < std::size(a.reals); ++i) {
        check(a.reals[i].text() == 0 || a.reals[i].text() == kept[i],
              "a read that is not whole leaves no text the line scan kept");
      }
      break;
    }
  }

  // The first blank-separated word, and a halfway case, as reals.
  check_real(std::string(text.substr(0, text.find_first_of(" \t\r\n,/*'"))));
  if (size >= 5) {
    std::uint32_t u;
    std::memcpy(&u, data + 1, 4);
    check_halfway(u);
  }
  return 0;
}
