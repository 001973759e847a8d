// Every real in cents form ("-25.69": an optional minus, digits with no
// leading zero but a lone one, a point and two digits, at most eight
// characters; 11,000,000 texts), proving that keeping one as its text is
// exact:
//   - its value from the text is the float glibc's strtof reads;
//   - that float written by the field editor with two decimals in nine
//     characters, and by printf, is the text, right-justified;
//   - the listing's value field from the text is that too;
//   - the reader, given a line of the text, keeps it as that text, or where
//     it reads the line another way (a line cut by the end of a block)
//     gives that float.
// Too long for the test suite, which checks the form by examples and by
// fuzzing; run by hand:
//
//   make proofs   (alone: build/dev/proofs/cents_exhaustive)
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "records/field_edit.h"
#include "textio/freeform_reader.h"
#include "textio/stream.h"
#include "textio/value.h"

namespace {

struct Tally {
  std::uint64_t texts = 0;
  std::uint64_t kept = 0;  // by the reader as their texts
  std::uint64_t wrong = 0;
};

void report(Tally& t, const char* text, const char* what) {
  if (t.wrong++ < 10) std::printf("%s: %s\n", text, what);
}

// Every text with the given sign and whole-number part, all hundred decimals
// of each on lines of their own, read in one go.
void check_whole(Tally& t, bool neg, std::uint32_t whole) {
  char texts[100][16];
  std::string lines;
  for (int c = 0; c < 100; ++c) {
    std::snprintf(texts[c], sizeof texts[c], "%s%u.%02d", neg ? "-" : "", whole, c);
    lines += texts[c];
    lines += '\n';
  }
  textio::MemorySource src(lines);
  textio::Reader reader(src);
  for (const char* text : texts) {
    ++t.texts;
    const std::size_t len = std::strlen(text);
    const textio::Value kept = textio::Value::kept({text, len});
    const float want = std::strtof(text, nullptr);
    const auto bits = [](float v) { return std::bit_cast<std::uint32_t>(v); };
    if (bits(kept.value()) != bits(want)) report(t, text, "value from the text");

    char field[16];
    std::snprintf(field, sizeof field, "%9s", text);
    char got[16];
    std::snprintf(got, sizeof got, "%9.2f", static_cast<double>(want));
    if (std::strcmp(got, field) != 0) report(t, text, "printf does not give it back");
    records::edit_real(got, want, 9, 2);
    if (std::memcmp(got, field, 9) != 0) report(t, text, "the field editor does not give it back");
    records::edit_cents(got, &kept, 1);
    if (std::memcmp(got, field, 9) != 0) report(t, text, "its field from the text");

    textio::Value v;
    const textio::Item item = textio::Item::real_field(v);
    if (reader.read({&item, 1}) != textio::Outcome::whole) {
      report(t, text, "not read");
    } else if (v.text() != 0) {
      ++t.kept;
      if (v.text() != kept.text()) report(t, text, "kept as another text");
    } else if (bits(v.value()) != bits(want)) {
      report(t, text, "read as another value");
    }
  }
}

}  // namespace

int main() {
  Tally t;
  // Eight characters at most: five whole-number digits, four after a minus.
  for (std::uint32_t whole = 0; whole < 100000; ++whole) {
    check_whole(t, false, whole);
    if (whole < 10000) check_whole(t, true, whole);
  }
  std::printf("%llu texts in cents form, %llu kept as their texts by the reader, %llu wrong\n",
              static_cast<unsigned long long>(t.texts), static_cast<unsigned long long>(t.kept),
              static_cast<unsigned long long>(t.wrong));
  return t.wrong == 0 ? 0 : 1;
}
