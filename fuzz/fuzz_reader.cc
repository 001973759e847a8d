// Bytes into the free-form reader, read as lists of every kind of item until
// the bytes run out. The reader must never crash, hang or read past its
// input, and its quick scan must change nothing: the same bytes handed over
// one at a time, which sends every token down the general path, must give
// the same outcomes, faults, lines and values, bit for bit.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "textio/freeform_reader.h"

namespace {

// One list of items and the storage it fills.
struct List {
  char text[2][40] = {};
  std::int32_t ints[3] = {};
  float reals[12] = {};
  textio::Item items[17];
  std::size_t n = 0;

  explicit List(unsigned shape) {
    if (shape & 1) items[n++] = textio::Item::text_field(text[0], 1 + static_cast<int>(shape % 32));
    for (unsigned i = 0; i < 1 + (shape >> 1) % 3; ++i)
      items[n++] = textio::Item::integer_field(ints[i]);
    for (unsigned i = 0; i < (shape >> 3) % 13; ++i)
      items[n++] = textio::Item::real_field(reals[i]);
    if (shape & 0x80) items[n++] = textio::Item::text_field(text[1], 32);
  }
  List(const List&) = delete;
  List& operator=(const List&) = delete;

  bool same_values(const List& o) const {
    return std::memcmp(text, o.text, sizeof text) == 0 &&
           std::memcmp(ints, o.ints, sizeof ints) == 0 &&
           std::memcmp(reals, o.reals, sizeof reals) == 0;
  }
};

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
    textio::Outcome o = quick.read({a.items, a.n});
    textio::Outcome p = slow.read({b.items, b.n});
    if (o != p || quick.line() != slow.line() || !a.same_values(b)) std::abort();
    if (o == textio::Outcome::error &&
        (quick.fault() != slow.fault() || quick.fault_item() != slow.fault_item()))
      std::abort();
    if (o != textio::Outcome::whole) break;
  }
  return 0;
}
