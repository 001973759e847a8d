// The items a read fills: the one description of a field to read that the
// reader and each of its levels (the line scan, the quick token, the
// general path) are handed.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string_view>

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

  // The stores every level of a read makes, each into an item of its kind.
  // A whole number into an integer's item.
  void store(std::int32_t v) const { *static_cast<std::int32_t*>(target) = v; }
  // A real, as its float or kept as its text, into a real's item.
  void store(Value v) const { *static_cast<Value*>(target) = v; }
  // A text into a text's item: left-justified, blank-padded, cut to its length.
  void store(std::string_view text) const {
    auto* field = static_cast<char*>(target);
    const std::size_t k = std::min(text.size(), static_cast<std::size_t>(length));
    std::memcpy(field, text.data(), k);
    std::memset(field + k, ' ', static_cast<std::size_t>(length) - k);
  }
};

}  // namespace textio
