// The character classes of free-form text, each written once: the general
// reading path and the quick ones (the quick token, the line scan) must agree
// on them exactly, or a record would read one way in one place and another
// way in the next.
#pragma once

#include <cstdint>

namespace textio {

// The blanks between values: a space and a tab. (A line end parts values
// too, but is counted as a line; a carriage return only as part of CR LF.)
inline constexpr char kBlanks[2] = {' ', '\t'};

// A blank between values.
constexpr bool is_blank(int c) {
  return c == kBlanks[0] || c == kBlanks[1];
}

// An ASCII digit.
constexpr bool is_digit(int c) {
  return static_cast<unsigned>(c - '0') < 10;
}

// How a byte can end a number.
enum class Ends : std::uint8_t {
  no,               // not at all: any other byte, the NUL after the reader's block included
  yes,              // a blank, tab, line end, comma or slash
  before_line_end,  // a carriage return, which ends it only as the CR of a CR LF
};

// How the byte c ends a number. One shift and mask tests the five ending
// bytes at once, all of which lie below 64.
constexpr Ends number_end(std::uint64_t c) {
  constexpr std::uint64_t kEnds =
      (1ull << ' ') | (1ull << '\t') | (1ull << '\n') | (1ull << ',') | (1ull << '/');
  if (c == '\r') return Ends::before_line_end;
  return c < 64 && ((kEnds >> c) & 1) != 0 ? Ends::yes : Ends::no;
}

// True when the bytes at p end a number: p[1] is read after a carriage
// return, so it must be readable (the reader's zeros after its block are).
constexpr bool ends_number(const char* p) {
  const Ends e = number_end(static_cast<unsigned char>(p[0]));
  return e == Ends::yes || (e == Ends::before_line_end && p[1] == '\n');
}

}  // namespace textio
