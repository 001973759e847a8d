// Bytes into the free-form reader, read as lists of every kind of item until
// the bytes run out; the reader must never crash, hang or read past its input.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "textio/freeform_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the shape of the list, the rest is the text.
  unsigned shape = data[0];
  textio::MemorySource src(std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
  textio::Reader reader(src);
  char text[2][40];
  std::int32_t ints[3] = {};
  float reals[12] = {};
  textio::Item items[17];
  std::size_t n = 0;
  if (shape & 1) items[n++] = textio::Item::text_field(text[0], 1 + static_cast<int>(shape % 32));
  for (unsigned i = 0; i < 1 + (shape >> 1) % 3; ++i)
    items[n++] = textio::Item::integer_field(ints[i]);
  for (unsigned i = 0; i < (shape >> 3) % 13; ++i) items[n++] = textio::Item::real_field(reals[i]);
  if (shape & 0x80) items[n++] = textio::Item::text_field(text[1], 32);
  for (int round = 0; round < 1000; ++round) {
    textio::Outcome o = reader.read({items, n});
    if (o != textio::Outcome::whole) break;
  }
  return 0;
}
