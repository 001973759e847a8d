// Bytes into a record's listing line and free-form reals. The line is the
// layout's fields side by side as printf shows them (a value kept as its text
// in cents form as printf shows the value the text stands for), touching
// nothing past its end; a written real reads back the same.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "records/listing.h"
#include "tests/support.h"
#include "textio/freeform_writer.h"

namespace {

using support::check;

// A real drawn from four bytes in one of the ways that reach the hard
// cases: any bits; a multiple of 1/2000, a tie in every field shape; or a
// 24-bit integer scaled near the fields' range.
float real_of(std::uint32_t u, unsigned how) {
  switch (how % 3) {
    case 0:
      return std::bit_cast<float>(u);
    case 1:
      return static_cast<float>(static_cast<std::int32_t>(u) % 400'000'000) / 2000.0f;
    default:
      return std::ldexp(static_cast<float>(u & 0xffffff), static_cast<int>(u >> 24) % 40 - 30) *
             (u & 0x80000000u ? -1.0f : 1.0f);
  }
}

// A real field as it must read: glibc's printf shows the exact binary value
// rounded to d decimals, ties to even (a float widens to double exactly);
// a value too wide for it, a NaN or an infinity fills it with asterisks.
std::string reference_field(float v, int w, int d) {
  char buf[64];
  const int n = std::snprintf(buf, sizeof buf, "%*.*f", w, d, static_cast<double>(v));
  return n > w || !std::isfinite(v) ? std::string(static_cast<std::size_t>(w), '*') : buf;
}

// An integer field of width w with at least two digits, as printf shows it.
std::string int_field(std::int32_t v, int w) {
  char field[32];
  const int n = std::snprintf(field, sizeof field, "%*.2d", w, v);
  return n > w ? std::string(static_cast<std::size_t>(w), '*') : field;
}

// The listing's layout: the two times, the date and time with their
// literals, then the values, the 11th and 12th on a line of their own.
std::string reference_line(const records::Observation& o, const float* val, records::Times t,
                           int nval) {
  std::string line = reference_field(t.x, 7, 3) + reference_field(t.bigx, 9, 3) +
                     int_field(o.month, 3) + "-" + int_field(o.day, 2) + "-19" +
                     int_field(o.year, 2) + int_field(o.hour, 3) + ":" + int_field(o.min, 2);
  const int n = std::clamp(nval, 0, records::kMaxValues);
  for (int k = 0; k < std::min(n, 10); ++k) line += reference_field(val[k], 9, 2);
  line += '\n';
  if (n > 10)
    line += reference_field(val[10], 7, 3) + (n > 11 ? reference_field(val[11], 9, 3) : "") + "\n";
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const unsigned how = data[0];
  std::uint32_t words[19] = {};
  std::memcpy(words, data + 1, std::min<std::size_t>((size - 1) / 4, 19) * 4);

  records::Observation o;
  std::int32_t* parts[] = {&o.month, &o.day, &o.year, &o.hour, &o.min};
  for (int k = 0; k < 5; ++k) {
    // Dates mostly of the listing's own sizes, sometimes any 32 bits.
    const auto w = static_cast<std::int32_t>(words[k]);
    *parts[k] = how & (8u << k) ? w : w % 1200 - 100;
  }
  float val[12];
  for (int k = 0; k < 12; ++k)
    o.val[k] = val[k] = real_of(words[5 + k], how + static_cast<unsigned>(k));
  for (int k = 0; how & 0x80 && k < records::kMaxValues; ++k) {
    // Values in cents form (-0.00 included), each its text as the reader
    // keeps it, the float strtof reads in the reference.
    const std::uint32_t cents = (words[5 + k] >> 1) % 10'000'000;
    char text[16];
    const int len = std::snprintf(text, sizeof text, "%s%u.%02u", words[5 + k] & 1 ? "-" : "",
                                  cents / 100, cents % 100);
    if (len > 8) continue;
    val[k] = std::strtof(text, nullptr);
    o.val[k] = textio::Value::kept({text, static_cast<std::size_t>(len)});
  }
  const records::Times t{real_of(words[17], how >> 1), real_of(words[18], how >> 2)};
  const int nval = static_cast<int>(how % 13);
  const std::string want = reference_line(o, val, t, nval);
  char got[records::kMaxListingChars + 2];
  std::memset(got, '#', sizeof got);
  const std::size_t len = records::format_listing(got + 1, o, t, nval);
  check(std::string(got, len + 2) == "#" + want + "#", "a listing line is the layout's fields");

  for (float v : {val[0], val[1], val[2], t.x, t.bigx}) {
    char text[32];
    float back = 0.0f;
    const std::size_t n = textio::format_real(text, v);
    check(!std::isfinite(v) ||
              (std::memchr(text, '.', n) != nullptr && support::parse_real({text, n}, back) &&
               std::bit_cast<std::uint32_t>(back) == std::bit_cast<std::uint32_t>(v)),
          "a written real has its point and reads back to the same float");
  }
  return 0;
}
