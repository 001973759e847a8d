#include "app/batch.h"

#include <sched.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "app/console.h"
#include "app/diagnostics.h"
#include "app/progress.h"
#include "app/run_state.h"
#include "app/stop.h"
#include "app/summary.h"

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
// there without writing anything, or make it (--keep-folders).
std::string place_of(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0) return "?" + path;
  return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + "/" + name;
}

// Writes message on err as a failure of the batch as a whole.
void report(textio::Sink& err, const std::string& message) {
  const std::string line = report_line(Severity::error, {}, message);
  (void)err.write(line.data(), line.size());
}

// The data files of the batch: every one, by its place; those that exist,
// by their device and inode too, which finds a hard link.
struct DataFiles {
  std::map<std::string, std::size_t> places;
  std::map<std::pair<dev_t, ino_t>, std::size_t> inodes;

  // The data file that out would overwrite, or files.size() for none.
  std::size_t under(const std::string& out, const std::vector<std::string>& files) const {
    if (const auto at = places.find(place_of(out)); at != places.end()) return at->second;
    struct stat st {};
    if (::stat(out.c_str(), &st) == 0) {
      if (const auto at = inodes.find(std::pair(st.st_dev, st.st_ino)); at != inodes.end())
        return at->second;
    }
    return files.size();
  }
};

// Names every run's files; notes each data file's place, size and kind.
void name_jobs(const Options& opts, std::vector<Job>& jobs, DataFiles& data) {
  struct stat st {};
  for (std::size_t i = 0; i < opts.files.size(); ++i) {
    Job job{names_for_file(opts.files[i], opts.output_dir, opts.keep_folders)};
    data.places.emplace(place_of(opts.files[i]), i);
    if (::stat(opts.files[i].c_str(), &st) == 0) {
      data.inodes.emplace(std::pair(st.st_dev, st.st_ino), i);
      if (S_ISREG(st.st_mode)) job.bytes = static_cast<std::uint64_t>(st.st_size);
      job.writes = !S_ISDIR(st.st_mode);
    }
    jobs.push_back(std::move(job));
  }
}

// Checks the batch as a whole before any run starts: no two runs may write
// one output, and no output may overwrite a data file of the batch.
// Returns why the batch is refused, or nothing.
std::string plan(const Options& opts, const std::vector<Job>& jobs, const DataFiles& data) {
  struct stat st {};
  if (!opts.output_dir.empty()) {
    if (::stat(opts.output_dir.c_str(), &st) != 0)
      return "output folder " + quoted_name(opts.output_dir) + ": " +
             std::generic_category().message(errno);
    if (!S_ISDIR(st.st_mode))
      return "output folder " + quoted_name(opts.output_dir) + " is not a folder";
  }
  std::string folder;
  for (const std::string& f : opts.files) {
    if (opts.keep_folders && !kept_folder(f, folder))
      return quoted_name(f) + " lies in a folder given with \"..\", which -k (--keep-folders) " +
             "cannot keep under the output folder: name it from a folder above";
  }
  // A missing data file or a folder fails before its outputs are opened,
  // alone. Of the others, a listing and its trace share folder and stem, so
  // the listings tell every clash. An output is checked against every data
  // file by its place, as a data file missing now would be the output by
  // the time its run opens it.
  std::map<std::string, std::size_t> listings;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    const FileNames& n = jobs[i].names;
    if (!jobs[i].writes) continue;
    const auto [first, fresh] = listings.emplace(place_of(n.listing), i);
    if (!fresh) {
      std::string why = quoted_name(opts.files[first->second]) + " and " +
                        quoted_name(opts.files[i]) + " would both write " + shown_name(n.listing) +
                        " and " + shown_name(n.trace);
      if (!opts.output_dir.empty() && !opts.keep_folders)
        why += "; -k (--keep-folders) keeps each file's folder under the output folder";
      return why;
    }
    // A file split by years writes outputs named by the years it holds,
    // checked when each is opened (outputs_refused).
    if (opts.split_years) continue;
    for (const std::string* out : {&n.listing, &n.trace}) {
      if (const std::size_t in = data.under(*out, opts.files); in != opts.files.size())
        return "the output " + shown_name(*out) + " of " + quoted_name(opts.files[i]) +
               " would overwrite the data file " + quoted_name(opts.files[in]);
    }
  }
  return {};
}

// Why the summary may not be written where asked, or nothing.
std::string summary_clash(const Options& opts, const std::vector<Job>& jobs,
                          const DataFiles& data) {
  if (opts.summary.empty() || opts.summary == "-") return {};
  if (const std::size_t in = data.under(opts.summary, opts.files); in != opts.files.size())
    return "the summary " + quoted_name(opts.summary) + " would overwrite the data file " +
           quoted_name(opts.files[in]);
  const std::string place = place_of(opts.summary);
  for (std::size_t i = 0; i < jobs.size() && !opts.split_years; ++i) {
    for (const std::string* out : {&jobs[i].names.listing, &jobs[i].names.trace})
      if (place_of(*out) == place)
        return "the summary " + quoted_name(opts.summary) + " would overwrite the output " +
               shown_name(*out) + " of " + quoted_name(opts.files[i]);
  }
  return {};
}

// Why a year's outputs, of a file split by years, may not be written: they
// would land on a data file of the batch or on its summary. Nothing when
// they may.
std::string outputs_refused(const Options& opts, const DataFiles& data, const FileNames& n) {
  const std::string summary =
      opts.summary.empty() || opts.summary == "-" ? std::string() : place_of(opts.summary);
  for (const std::string* out : {&n.listing, &n.trace}) {
    if (const std::size_t in = data.under(*out, opts.files); in != opts.files.size())
      return "the output " + shown_name(*out) + " would overwrite the data file " +
             quoted_name(opts.files[in]);
    if (!summary.empty() && place_of(*out) == summary)
      return "the output " + shown_name(*out) + " would overwrite the summary " +
             quoted_name(opts.summary);
  }
  return {};
}

// The processors this process may run on.
unsigned processors() {
  cpu_set_t set;
  if (::sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
  return std::max(1u, std::thread::hardware_concurrency());
}

// The summary table of a batch, written whole at its end or at a stop.
class Summary {
 public:
  // Writes to the file path ("-": out), opened now; err set on failure.
  Summary(const std::string& path, textio::Sink& out, textio::FileSystem& fs, int& err) {
    if (path == "-") {
      sink_ = &out;
      return;
    }
    file_ = fs.open_write(path, err);
    sink_ = file_.get();
  }
  // The sink a stop must leave in place.
  const textio::Sink* file() const { return file_.get(); }
  // Writes the header and rows, and puts the file in place; returns 0 or an errno value.
  int write(const std::vector<std::string>& rows) {
    std::string text = summary_header();
    for (const std::string& row : rows) text += row;
    int e = sink_->write(text.data(), text.size());
    if (file_ != nullptr) {
      const int c = file_->close();
      if (e == 0) e = c;
      if (e == 0) e = file_->commit();
    }
    return e;
  }

 private:
  std::unique_ptr<textio::Sink> file_;
  textio::Sink* sink_ = nullptr;
};

// The one line a batch leaves at a terminal: how its files ended.
std::string closing_line(const Tally& t) {
  return line_start({}) + std::to_string(t.done) + " files: " + std::to_string(t.done - t.failed) +
         " listed, " + std::to_string(t.failed) + " failed, " + std::to_string(t.noted) +
         " with notes\n";
}

}  // namespace

FileRun run_batch_file(const FileNames& names, const RunSettings& settings, textio::FileSystem& fs,
                       std::string& log) {
  // Console lines (a bad record, dates out of order) go where the reports
  // go, labelled with the file as failures: standard output stays the
  // caller's. They start with a blank, which the label ends with.
  textio::MemorySink sink;
  std::string label = report_line(Severity::error, {shown_name(names.data), 0}, "");
  label.resize(label.size() - 2);  // "vantrel: FILE: error:", less the blank and line end
  LabelledSink lines(sink, label);
  textio::MemorySource no_replies({});
  Console con(no_replies, lines, sink);
  RunSettings s = settings;
  s.finished = [&](const FileRun& r) {
    log += std::exchange(sink.text, {});
    if (settings.finished) settings.finished(r);
  };
  FileRun r = run_file(names, s, con, fs);
  log += sink.text;
  return r;
}

int run_batch(const Options& opts, textio::Sink& out, textio::Sink& err, bool terminal) {
  const bool progress = terminal && opts.files.size() > 1;
  std::vector<Job> jobs;
  DataFiles data;
  name_jobs(opts, jobs, data);
  textio::DiskFileSystem fs;
  std::unique_ptr<Summary> summary;
  std::string refused = summary_clash(opts, jobs, data);
  if (refused.empty() && !opts.summary.empty()) {
    int e = 0;
    summary = std::make_unique<Summary>(opts.summary, out, fs, e);
    if (e != 0) {
      refused = "cannot write the summary " + quoted_name(opts.summary) + ": " +
                std::generic_category().message(e);
      summary.reset();
    }
  }
  std::vector<std::string> rows(jobs.size());
  if (refused.empty()) {
    refused = plan(opts, jobs, data);
    if (!refused.empty() && summary != nullptr) {
      FileRun r;
      r.status = kExitDialogue;
      r.message = refused;
      r.counted = opts.count.is_counted();
      for (std::size_t i = 0; i < jobs.size(); ++i)
        rows[i] = summary_row(opts.files[i], jobs[i].names, r);
      (void)summary->write(rows);
    }
  }
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
  std::vector<bool> done(jobs.size());
  set_stop(summary != nullptr ? summary->file() : nullptr, [&](int /*sig*/) {
    const std::lock_guard lock(m);
    if (progress) (void)err.write("\r\033[K", 4);
    (void)err.write(reports.data(), reports.size());
    if (summary == nullptr) return;
    std::vector<std::string> so_far;
    for (std::size_t i = 0; i < jobs.size(); ++i)
      if (done[i]) so_far.push_back(rows[i]);
    (void)summary->write(so_far);
  });
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    for (std::size_t i = next++; i < jobs.size(); i = next++) {
      RunSettings s;
      s.count = opts.count;
      s.skip_lines = opts.skip_lines;
      s.tell_count = terminal && jobs.size() == 1;
      s.strict = opts.strict;
      s.make_folders = opts.keep_folders;
      s.summarise = summary != nullptr;
      s.calendar = opts.calendar;
      s.split_years = opts.split_years;
      s.refuse = [&](const FileNames& n) { return outputs_refused(opts, data, n); };
      std::string log;
      // A row for each station-year, as its outputs are put in place.
      s.finished = [&, i](const FileRun& r) {
        const std::lock_guard lock(m);
        rows[i] += summary_row(opts.files[i], r.names, r);
        done[i] = true;
        status = std::max(status, r.status);
        reports += std::exchange(log, {});
      };
      const FileRun r = run_batch_file(jobs[i].names, s, fs, log);
      const std::lock_guard lock(m);
      reports += log;
      ++tally.done;
      tally.failed += r.status != kExitOk ? 1 : 0;
      tally.noted += r.notes != 0 ? 1 : 0;
      tally.records += r.records;
      tally.bytes += jobs[i].bytes;
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
  Tally now;
  for (bool all = false; !all;) {
    std::unique_lock lock(m);
    finished.wait_for(lock, std::chrono::milliseconds(200),
                      [&] { return !reports.empty() || tally.done == jobs.size(); });
    const std::string said = std::exchange(reports, {});
    now = tally;
    lock.unlock();
    all = now.done == jobs.size();
    if (!said.empty() || all) {
      line.clear();
      (void)err.write(said.data(), said.size());
    }
    const std::chrono::duration<double> seconds = Clock::now() - start;
    if (progress && !all && seconds.count() >= 0.5) line.show(now, seconds.count());
  }
  for (std::thread& w : workers) w.join();
  set_stop(nullptr, {});
  if (summary != nullptr) {
    const int e = summary->write(rows);
    if (e != 0) {
      report(err, "the summary " + quoted_name(opts.summary) +
                      " could not be written in full: " + std::generic_category().message(e));
      status = std::max<int>(status, kExitWriteFailed);
    }
  }
  if (progress) {
    const std::string closing = closing_line(now);
    (void)err.write(closing.data(), closing.size());
  }
  return status;
}

}  // namespace app
