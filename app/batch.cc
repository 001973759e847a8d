#include "app/batch.h"

#include <sched.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "app/console.h"
#include "app/progress.h"
#include "app/run_state.h"

namespace app {

namespace {

// A sink that starts every line written through it with a label.
class LabelledSink : public textio::Sink {
 public:
  // Writes to sink, which must outlive this one.
  LabelledSink(textio::Sink& sink, std::string label) : sink_(sink), label_(std::move(label)) {}
  int write(const char* p, std::size_t n) override {
    std::string text;
    for (const char* end = p + n; p != end;) {
      if (line_start_) text += label_;
      const auto* nl =
          static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      const char* stop = nl == nullptr ? end : nl + 1;
      text.append(p, stop);
      line_start_ = nl != nullptr;
      p = stop;
    }
    return sink_.write(text.data(), text.size());
  }

 private:
  textio::Sink& sink_;
  std::string label_;
  bool line_start_ = true;
};

// One data file of the batch.
struct Job {
  FileNames names;
  std::uint64_t bytes = 0;  // its size, for the time left
  bool writes = false;      // it opens, so that its run writes outputs
};

// Where a path leads: its folder's device and inode and its name, so that
// two spellings of one place ("a/x", "./a/x", a link to a) compare equal. A
// folder that does not exist is taken by its spelling: the run will fail
// there without writing anything.
std::string place_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return "?" + path;
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + "/" + name;
}

// Writes "vantrel: " and message as one line on err.
void report(textio::Sink& err, const std::string& message) {
  const std::string line = "vantrel: " + message + "\n";
  (void)err.write(line.data(), line.size());
}

// Names every run's files and checks the batch as a whole before any run
// starts: no two runs may write one output, and no output may overwrite a
// data file of the batch. Returns why the batch is refused, or nothing.
std::string plan(const Options& opts, std::vector<Job>& jobs) {
  struct stat st {};
  if (!opts.output_dir.empty()) {
    if (::stat(opts.output_dir.c_str(), &st) != 0)
      return "output folder " + quoted_name(opts.output_dir) + ": " +
             std::generic_category().message(errno);
    if (!S_ISDIR(st.st_mode))
      return "output folder " + quoted_name(opts.output_dir) + " is not a folder";
  }
  std::map<std::pair<dev_t, ino_t>, std::size_t> data;  // the data files that exist
  std::map<std::string, std::size_t> data_places;       // every data file, by its place
  for (std::size_t i = 0; i < opts.files.size(); ++i) {
    Job job{names_for_file(opts.files[i], opts.output_dir)};
    data_places.emplace(place_of(opts.files[i]), i);
    if (::stat(opts.files[i].c_str(), &st) == 0) {
      data.emplace(std::pair(st.st_dev, st.st_ino), i);
      if (S_ISREG(st.st_mode)) job.bytes = static_cast<std::uint64_t>(st.st_size);
      job.writes = !S_ISDIR(st.st_mode);
    }
    jobs.push_back(std::move(job));
  }
  // A missing data file or a folder fails before its outputs are opened,
  // alone. Of the others, a listing and its trace share folder and stem, so
  // the listings tell every clash. An output is checked against every data
  // file by its place, as a data file missing now would be the output by
  // the time its run opens it, and against those that exist by their inode
  // too, which finds a hard link.
  std::map<std::string, std::size_t> listings;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const FileNames& n = jobs[i].names;
    if (!jobs[i].writes) continue;
    const std::string places[2] = {place_of(n.listing), place_of(n.trace)};
    const auto [first, fresh] = listings.emplace(places[0], i);
    if (!fresh)
      return quoted_name(opts.files[first->second]) + " and " + quoted_name(opts.files[i]) +
             " would both write " + shown_name(n.listing) + " and " + shown_name(n.trace);
    for (int k = 0; k < 2; ++k) {
      const std::string& out = k == 0 ? n.listing : n.trace;
      std::size_t in = opts.files.size();
      if (const auto at = data_places.find(places[k]); at != data_places.end()) {
        in = at->second;
      } else if (::stat(out.c_str(), &st) == 0) {
        if (const auto at_inode = data.find(std::pair(st.st_dev, st.st_ino));
            at_inode != data.end())
          in = at_inode->second;
      }
      if (in != opts.files.size())
        return "the output " + shown_name(out) + " of " + quoted_name(opts.files[i]) +
               " would overwrite the data file " + quoted_name(opts.files[in]);
    }
  }
  return {};
}

// The processors this process may run on.
unsigned processors() {
  cpu_set_t set;
  if (::sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace

FileRun run_batch_file(const FileNames& names, std::int32_t nval, textio::FileSystem& fs,
                       std::string& log, bool tell_count) {
  // Console lines (a bad record, dates out of order) go where the reports
  // go, labelled with the file: standard output stays the caller's. They
  // start with a blank, which the reports' label ends with.
  const std::string label = shown_name(names.data) + ":";
  textio::MemorySink sink;
  LabelledSink lines(sink, "vantrel: " + label);
  textio::MemorySource no_replies({});
  Console con(no_replies, lines, sink, label + " ");
  const FileRun r = run_file(names, nval, con, fs, tell_count);
  log += sink.text;
  return r;
}

int run_batch(const Options& opts, textio::Sink& err, bool terminal) {
  const bool progress = terminal && opts.files.size() > 1;
  std::vector<Job> jobs;
  const std::string refused = plan(opts, jobs);
  if (!refused.empty()) {
    report(err, refused);
    return kExitDialogue;
  }

  // Workers take the files in turn; each run's console lines and reports
  // are kept with it, labelled with its file, and handed to this thread,
  // which alone writes standard error, so that one run's lines stay together
  // and the status line can step aside for them.
  std::mutex m;
  std::condition_variable finished;
  Tally tally;
  std::string reports;
  int status = kExitOk;
  std::atomic<std::size_t> next{0};
  textio::DiskFileSystem fs;
  auto work = [&] {
    for (std::size_t i = next++; i < jobs.size(); i = next++) {
      std::string log;
      const FileRun r = run_batch_file(jobs[i].names, opts.count_values ? kCountValues : opts.nval,
                                       fs, log, terminal);
      const std::lock_guard lock(m);
      ++tally.done;
      tally.failed += r.status != kExitOk ? 1 : 0;
      tally.records += r.records;
      tally.bytes += jobs[i].bytes;
      status = std::max(status, r.status);
      reports += log;
      finished.notify_one();
    }
  };
  const std::size_t n =
      std::min<std::size_t>(opts.jobs != 0 ? opts.jobs : processors(), jobs.size());
  std::vector<std::thread> workers;
  try {
    while (workers.size() < n) workers.emplace_back(work);
  } catch (const std::system_error&) {
    // The system gives no more threads: the workers it gave take every
    // file, or this thread alone does.
    if (workers.empty()) work();
  }

  // The status line waits half a second, so that a short batch does not
  // flicker, and is then redrawn five times a second.
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  std::uint64_t bytes = 0;
  for (const Job& j : jobs) bytes += j.bytes;
  Progress line(err, jobs.size(), bytes);
  for (bool done = false; !done;) {
    std::unique_lock lock(m);
    finished.wait_for(lock, std::chrono::milliseconds(200),
                      [&] { return !reports.empty() || tally.done == jobs.size(); });
    const std::string out = std::exchange(reports, {});
    const Tally now = tally;
    lock.unlock();
    done = now.done == jobs.size();
    if (!out.empty() || done) {
      line.clear();
      (void)err.write(out.data(), out.size());
    }
    const std::chrono::duration<double> seconds = Clock::now() - start;
    if (progress && !done && seconds.count() >= 0.5) line.show(now, seconds.count());
  }
  for (std::thread& w : workers) w.join();
  return status;
}

int run_command_line(int argc, char* argv[], textio::Sink& out, textio::Sink& err) {
  Options opts;
  const std::string refused = parse_command_line(argc, argv, opts);
  if (!refused.empty()) {
    report(err, refused + " (vantrel --help tells more)");
    return kExitDialogue;
  }
  if (opts.help || opts.version) {
    const std::string text =
        opts.help ? std::string(kUsage) : "vantrel " + std::string(kVersion) + "\n";
    const int e = out.write(text.data(), text.size());
    if (e == 0) return kExitOk;
    report(err, "standard output could not be written: " + std::generic_category().message(e));
    return kExitWriteFailed;
  }
  return run_batch(opts, err, ::isatty(2) == 1);
}

}  // namespace app
