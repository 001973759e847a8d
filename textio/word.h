// Eight bytes at a time: a 64-bit word holds eight bytes of text, and a few
// integer operations test or change all eight at once (SWAR). The reader's
// scans and the listing's field editor both work this way.
//
// The tool is for little-endian machines, which is every x86 and ARM
// machine its users run: the first byte in memory is the lowest of a word
// loaded from it, and every helper here and every caller counts on that.
// The build refuses a big-endian machine (CMakeLists.txt), and so does this.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

static_assert(std::endian::native == std::endian::little,
              "vantrel reads and writes text eight bytes at a time on little-endian machines only");

namespace textio {

// The lowest bit of each of a word's eight bytes.
inline constexpr std::uint64_t kOnes = 0x0101010101010101ull;
// The high bit of each of a word's eight bytes, where the byte tests below
// leave their answers.
inline constexpr std::uint64_t kHigh = 0x8080808080808080ull;

// Loads the eight bytes at p, the first in the lowest byte.
inline std::uint64_t load_word(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, sizeof w);
  return w;
}

// Stores the eight bytes of w at p, the lowest first.
inline void store_word(char* p, std::uint64_t w) {
  std::memcpy(p, &w, sizeof w);
}

// The high bit of every byte of x that is zero, exactly: adding 0x7f to a
// byte's low seven bits sets its high bit when any of them is set, with no
// carry into the next byte, and the byte's own high bit is or-ed in.
inline std::uint64_t zero_bytes(std::uint64_t x) {
  return ~(((x & ~kHigh) + ~kHigh) | x) & kHigh;
}

// The high bit of every byte of w equal to c.
inline std::uint64_t bytes_equal(std::uint64_t w, char c) {
  return zero_bytes(w ^ (kOnes * static_cast<unsigned char>(c)));
}

// The high bit of every byte of w that is an ASCII digit, exactly: each byte
// is tested on its low seven bits, where adding cannot carry into the next
// byte, and a byte with its high bit set is never a digit. (A byte-range test
// in one word, after the "has a byte between m and n" trick of Sean Anderson's
// Bit Twiddling Hacks, made exact by masking the high bits first.)
inline std::uint64_t digit_bytes(std::uint64_t w) {
  const std::uint64_t low = w & ~kHigh;
  const std::uint64_t at_least_0 = low + 0x5050505050505050ull;  // 0x30 + 0x50 = 0x80
  const std::uint64_t above_9 = low + 0x4646464646464646ull;     // 0x3a + 0x46 = 0x80
  return at_least_0 & ~above_9 & ~w & kHigh;
}

// The high bits of the eight bytes of m, as eight bits: one multiplication
// moves each to its place in the top byte, and no two products meet.
inline std::uint64_t high_bits(std::uint64_t m) {
  return ((m >> 7) * 0x0102040810204080ull) >> 56;
}

}  // namespace textio
