#include "app/stop.h"

#include <pthread.h>
#include <unistd.h>

#include <algorithm>
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
  std::vector<std::string> unfinished;
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
  textio::abandon_outputs(s.keep);
  if (s.then) s.then(sig);
  for (const std::string& file : s.unfinished) {
    const std::string line = report_line(
        Severity::error, {file, 0},
        std::string("stopped by ") + stop_signal_name(sig) +
            " before the end of the file: its listing and trace were left as they were");
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
  stop().unfinished.push_back(shown_);
}

Unfinished::~Unfinished() {
  if (registered_) finished();
}

void Unfinished::finished() {
  const std::lock_guard g(stop().lock);
  auto& files = stop().unfinished;
  if (const auto it = std::find(files.begin(), files.end(), shown_); it != files.end())
    files.erase(it);
  registered_ = false;
}

const char* stop_signal_name(int sig) {
  return sig == SIGINT ? "SIGINT" : sig == SIGTERM ? "SIGTERM" : "SIGHUP";
}

}  // namespace app
