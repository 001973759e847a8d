// Stopping on SIGINT, SIGTERM or SIGHUP: the outputs not yet in place are
// removed, so that the earlier ones stand, each data file not finished is
// named, and the tool exits with 128 and the signal's number.
#pragma once

#include <functional>
#include <mutex>
#include <string>

#include "textio/stream.h"

namespace app {

// Takes SIGINT, SIGTERM and SIGHUP, from now on, on a thread of their own,
// but those the tool was started with ignored.
// Call before any other thread starts, so that every thread leaves them to it.
void catch_stop_signals();

// Held while a run puts its outputs in place and records its end, and
// taken for good by a stop, so that a run is finished whole or not at all.
std::mutex& finish_lock();

// What a stop does after the outputs are removed, before the files not
// finished are named: it is given the signal's number; its output keep is
// not removed.
void set_stop(const textio::Sink* keep, std::function<void(int)> then);

// A data file being run, named by a stop until finished() (called under finish_lock()).
class Unfinished {
 public:
  // Registers the file, by its name as reports show it.
  explicit Unfinished(std::string shown);
  ~Unfinished();
  Unfinished(const Unfinished&) = delete;
  Unfinished& operator=(const Unfinished&) = delete;
  // The file is writing the outputs listing and trace, named as opened.
  void writing(const std::string& listing, const std::string& trace);
  // The file's outputs are in place.
  void finished();

 private:
  std::string shown_;
  bool registered_ = true;
};

// The name of a stop signal: "SIGINT", "SIGTERM" or "SIGHUP".
const char* stop_signal_name(int sig);

}  // namespace app
