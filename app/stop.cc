#include "app/stop.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "app/diagnostics.h"
#include "textio/files.h"

namespace app {

namespace {

struct Stop {
  std::mutex lock;  // over what follows
  // Each data file being run, as reports show it, and the outputs it is
  // writing.
  struct File {
    std::string shown;
    std::array<std::string, 2> outputs;
  };
  std::vector<File> unfinished;
  const textio::Sink* keep = nullptr;
  std::function<void(int)> then;
};

Stop& stop() {
  static Stop s;
  return s;
}

[[noreturn]] void stop_now(int sig) {
  finish_lock().lock();  // for good: no run finishes from now on
  Stop& s = stop();
  const std::lock_guard g(s.lock);
  const std::vector<std::string> cut = textio::abandon_outputs(s.keep);
  if (s.then) s.then(sig);
  for (const Stop::File& file : s.unfinished) {
    // An output written in place (a device, or a folder that takes no new
    // file) is cut where the stop found it.
    std::string in_place;
    for (const std::string& out : file.outputs) {
      if (std::find(cut.begin(), cut.end(), out) == cut.end()) continue;
      in_place += (in_place.empty() ? "" : " and ") + quoted_name(out);
    }
    const std::string line = report_line(
        Severity::error, {file.shown, 0},
        std::string("stopped by ") + stop_signal_name(sig) + " before the end of the file: " +
            (in_place.empty()
                 ? "its listing and trace were left as they were"
                 : in_place + ", written in place, " +
                       (in_place.find(" and ") == std::string::npos ? "is" : "are") + " cut"));
    (void)!::write(2, line.data(), line.size());
  }
  ::_exit(128 + sig);
}

}  // namespace

std::mutex& finish_lock() {
  static std::mutex m;
  return m;
}

void catch_stop_signals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    // A signal the tool was started with ignored (nohup, a shell's
    // background job) stays ignored.
    struct sigaction was {};
    if (::sigaction(sig, nullptr, &was) == 0 && was.sa_handler == SIG_IGN) continue;
    sigaddset(&set, sig);
  }
  if (::pthread_sigmask(SIG_BLOCK, &set, nullptr) != 0) return;
  try {
    std::thread([set] {
      int sig = 0;
      while (::sigwait(&set, &sig) != 0) {
      }
      stop_now(sig);
    }).detach();
  } catch (const std::system_error&) {
    // No thread to take them: the signals end the process as they would.
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
  }
}

void set_stop(const textio::Sink* keep, std::function<void(int)> then) {
  Stop& s = stop();
  const std::lock_guard g(s.lock);
  s.keep = keep;
  s.then = std::move(then);
}

Unfinished::Unfinished(std::string shown) : shown_(std::move(shown)) {
  const std::lock_guard g(stop().lock);
  stop().unfinished.push_back({shown_, {}});
}

void Unfinished::writing(const std::string& listing, const std::string& trace) {
  const std::lock_guard g(stop().lock);
  for (Stop::File& f : stop().unfinished) {
    if (f.shown == shown_) f.outputs[0] = listing, f.outputs[1] = trace;
  }
}

Unfinished::~Unfinished() {
  if (registered_) finished();
}

void Unfinished::finished() {
  const std::lock_guard g(stop().lock);
  auto& files = stop().unfinished;
  if (const auto it = std::find_if(files.begin(), files.end(),
                                   [this](const Stop::File& f) { return f.shown == shown_; });
      it != files.end())
    files.erase(it);
  registered_ = false;
}

const char* stop_signal_name(int sig) {
  return sig == SIGINT ? "SIGINT" : sig == SIGTERM ? "SIGTERM" : "SIGHUP";
}

}  // namespace app
