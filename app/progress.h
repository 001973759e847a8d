// The status line of a batch at a terminal: redrawn in place on standard
// error, and taken off again before a report or at the end.
#pragma once

#include <cstddef>
#include <cstdint>

#include "textio/stream.h"

namespace app {

// How far a batch has come.
struct Tally {
  std::size_t done = 0;       // files finished
  std::size_t failed = 0;     // of which failed
  std::size_t noted = 0;      // of which had notes
  std::uint64_t records = 0;  // records listed
  std::uint64_t bytes = 0;    // bytes of the finished data files
};

// The status line on a terminal.
class Progress {
 public:
  // Draws on err a batch of files data files holding bytes.
  Progress(textio::Sink& err, std::size_t files, std::uint64_t bytes)
      : err_(err), files_(files), bytes_(bytes) {}
  // Draws the line anew.
  void show(const Tally& tally, double seconds);
  // Takes the line off the screen, if it is on it.
  void clear();

 private:
  textio::Sink& err_;
  std::size_t files_;
  std::uint64_t bytes_;
  bool shown_ = false;
};

}  // namespace app
