// A real value as the data file gave it. Where the line scan met it in
// cents form, the way field loggers mostly write a reading ("-25.69": an
// optional minus sign, digits with no leading zero but a lone 0 before the
// point, a point and two digits, eight characters at most), it is kept as
// that text: written again with two decimals, its float gives that text
// back (tests/proofs/cents_exhaustive.cc shows it for every such text), so the
// listing copies the text and neither the float nor its digits are made.
// The float is made only when asked for. Any other real holds its float.
//
// A kept text is one word: its characters right-justified in eight bytes
// with blanks before them, byte i of the eight in bits 8i to 8i + 7, the
// first lowest ("-25.69" is the bytes 20 20 2d 32 35 2e 36 39), so that the
// listing's field is a blank and the word as it stands. Its last character,
// a digit, stands in the top byte; a float is held as its bits in the low
// four bytes, which leaves the top one 0. So one word holds either, and its
// top byte tells which.
#pragma once

#include <bit>
#include <cstdint>
#include <string_view>

namespace textio {

// A real as read: its text in cents form where kept, else its float.
class Value {
 public:
  // The value v.
  constexpr Value(float v = 0.0f)
      : word_(std::bit_cast<std::uint32_t>(v)) {}  // not explicit: a float is a value
  // The value kept as text (the word above) where text is not 0, else v.
  constexpr Value(float v, std::uint64_t text)
      : word_(text != 0 ? text : std::bit_cast<std::uint32_t>(v)) {}
  // The value kept as the text s, in cents form (so 4 to 8 characters, the
  // last a digit).
  static Value kept(std::string_view s);

  // Its text in cents form as the word above, or 0 where it holds its float.
  constexpr std::uint64_t text() const { return word_ >> 56 != 0 ? word_ : 0; }
  // The float it stands for.
  float value() const {
    return word_ >> 56 != 0 ? text_value()
                            : std::bit_cast<float>(static_cast<std::uint32_t>(word_));
  }

 private:
  float text_value() const;

  std::uint64_t word_;
};

}  // namespace textio
