// The line scan, the first of the reader's quick paths: the common record
// read in one go, a line of plain decimals parted by blanks or commas, as
// loggers write them. Every token's start and end come from masks of the
// whole line first, so the tokens are read side by side rather than each
// waiting for the one before it to end.
// Anything else is left to the reader's general path, which gives the same
// values for what is taken here (a real kept as its text standing for the
// value the text reads as).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "textio/block.h"
#include "textio/item.h"

namespace textio {

// How far past its start a line may hold the tokens the scan reads.
constexpr std::size_t kLineWindow = 128;
// Bytes the scan may read at and past its start: the window and an
// eight-byte load at its last byte. They must be readable, and zeros past
// the data.
constexpr std::size_t kLineReach = kLineWindow + 8;
static_assert(kLineReach <= Block::kPadding, "the reader's block must have room for the scan");
// Bytes before its start the scan may read, loading a token by its end: they
// must be readable, and may hold anything.
constexpr std::size_t kLineLead = 7;
static_assert(kLineLead <= Block::kLead, "the reader's block must have room for the scan");
// Most items one scan fills.
constexpr std::size_t kLineItems = 24;

// Reads one number for each of the items (numbers' items) from s, where the
// line holds them as plain decimals (an optional sign, digits with at most
// one point, at most eight characters in all; at most 2^24 for a real),
// parted by blanks, tabs and at most one comma (two leave a value empty,
// and so does one before the first token), the first n tokens and the byte
// after them within the window, the last followed by a blank, tab, line
// end, comma or slash. Stores each value in its item as it goes, a real in
// cents form as its text (value.h). Returns the offset just past the last
// token, or 0 for a line it does not take, as it never takes one of
// another form (nor a text's item); it has then stored at most the items
// before the first token it does not take, all of which a read of the
// line from its start by the other levels reaches and stores again, so
// that the items end as the general path alone would leave them.
std::size_t scan_line(const char* s, std::span<const Item> items);

}  // namespace textio
