// The items a read fills: the one description of a field to read that the
// reader and each of its levels (the line scan, the quick token, the
// general path) are handed.
#pragma once

#include <cstdint>

#include "textio/value.h"

namespace textio {

// One place a read stores a value in.
struct Item {
  enum class Kind : std::uint8_t { text, integer, real };
  Kind kind;
  int length;    // width of a text field, 1 to GeneralPath::kMaxText
  void* target;  // the field itself

  // A text field of length characters, stored left-justified and blank-padded.
  static Item text_field(char* field, int length) { return {Kind::text, length, field}; }
  // A 32-bit signed integer.
  static Item integer_field(std::int32_t& v) { return {Kind::integer, 0, &v}; }
  // A single-precision real, kept as its text where the line scan meets it
  // in cents form (value.h).
  static Item real_field(Value& v) { return {Kind::real, 0, &v}; }
};

}  // namespace textio
