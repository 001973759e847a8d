// A whole run in memory: the input is the replies, a NUL byte, then the data
// file. Checks what every run must hold, not only that it does not crash:
// one listing line per record listed (two with 11 or 12 values), each of the
// layout's width, and trace points only in the patterns the coverage allows.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/console.h"
#include "app/run.h"
#include "app/run_state.h"
#include "textio/freeform_reader.h"

namespace {

class MemoryFiles : public textio::FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::size_t step = 0;  // bytes per read of a data file; 0 for all at once
  std::unique_ptr<textio::Source> open_read(const std::string& path, int& err) override {
    auto it = files.find(path);
    if (it == files.end()) {
      err = ENOENT;
      return nullptr;
    }
    return std::make_unique<textio::MemorySource>(it->second, step);
  }
  std::unique_ptr<textio::Sink> open_write(const std::string& path, int&) override {
    files[path].clear();
    return std::make_unique<Into>(files[path]);
  }

 private:
  struct Into : textio::Sink {
    explicit Into(std::string& s) : text(s) {}
    int write(const char* p, std::size_t n) override {
      text.append(p, n);
      return 0;
    }
    std::string& text;
  };
};

void check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
  }
}

std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> out;
  while (!text.empty()) {
    std::size_t nl = text.find('\n');
    check(nl != std::string_view::npos, "every line ends in a line end");
    out.push_back(text.substr(0, nl));
    text.remove_prefix(nl + 1);
  }
  return out;
}

// Each trace line is " time state"; returns the points.
std::vector<std::pair<float, int>> points_of(std::string_view text) {
  std::vector<std::pair<float, int>> out;
  for (std::string_view line : lines_of(text)) {
    check(line.size() > 3 && line[0] == ' ', "a trace line starts with a blank");
    std::size_t sp = line.rfind(' ');
    std::string_view t = line.substr(1, sp - 1), s = line.substr(sp + 1);
    float v = 0;
    check(textio::parse_real(t.data(), t.size(), v), "a trace time reads back");
    check(s == "0" || s == "1", "a trace state is 0 or 1");
    out.emplace_back(v, s[0] - '0');
  }
  return out;
}

// The trace is: an opening ((0,0),(x,0),(x,1) or (0,1)), then notches
// ((a,1),(a,0),(b,0),(b,1) with b > a), then maybe a closing ((a,1),(a,0),
// (365,0) or (365,1)).
void check_trace(const std::vector<std::pair<float, int>>& p, bool closed, bool any_record) {
  std::size_t i = 0;
  if (any_record) {
    if (p.size() >= 3 && p[0] == std::make_pair(0.0f, 0) && p[1].second == 0 &&
        p[2] == std::make_pair(p[1].first, 1) && p[1].first != 0.0f) {
      i = 3;
    } else {
      check(!p.empty() && p[0] == std::make_pair(0.0f, 1), "the trace opens");
      i = 1;
    }
  }
  std::size_t end = p.size();
  if (closed) {
    if (end >= 1 && p[end - 1] == std::make_pair(365.0f, 1)) {
      end -= 1;
    } else {
      check(end >= 3 && p[end - 1] == std::make_pair(365.0f, 0) && p[end - 2].second == 0 &&
                p[end - 3] == std::make_pair(p[end - 2].first, 1),
            "the trace closes");
      end -= 3;
    }
  }
  check(i <= end && (end - i) % 4 == 0, "between opening and closing come whole notches");
  for (; i < end; i += 4) {
    check(p[i].second == 1 && p[i + 1] == std::make_pair(p[i].first, 0) && p[i + 2].second == 0 &&
              p[i + 3] == std::make_pair(p[i + 2].first, 1) && p[i + 2].first > p[i].first,
          "a notch is four points across a break");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view all(reinterpret_cast<const char*>(data), size);
  std::size_t cut = all.find('\0');
  if (cut == std::string_view::npos) return 0;
  std::string_view replies = all.substr(0, cut), body = all.substr(cut + 1);

  // The data file's name is whatever the replies make of it: offer the body
  // under the names of the common replies.
  MemoryFiles fs;
  for (const char* name : {"x.tmp", "x.y.tmp", "a.b.tmp", "st90.all.tmp"}) fs.files[name] = body;
  textio::MemorySource in(replies);
  textio::MemorySink out, err;
  app::Console con(in, out, err);
  int status = app::run(con, fs);
  check(status >= 0 && status <= 4, "a known exit status");

  // The same run with its replies and data handed over a few bytes at a
  // time, which cuts tokens and line ends across the reader's blocks, must
  // give the same console, files and status.
  {
    MemoryFiles again;
    for (const char* name : {"x.tmp", "x.y.tmp", "a.b.tmp", "st90.all.tmp"})
      again.files[name] = body;
    again.step = 1 + body.size() % 7;
    textio::MemorySource in2(replies, 1 + replies.size() % 3);
    textio::MemorySink out2, err2;
    app::Console con2(in2, out2, err2);
    check(app::run(con2, again) == status, "cut reads: the same status");
    check(out2.text == out.text && err2.text == err.text, "cut reads: the same console");
    check(again.files == fs.files, "cut reads: the same files");
  }
  if (status == app::kExitDialogue || status == app::kExitOpenFailed) return 0;

  // Which outputs did the run write? Those of the stem the reply gave.
  const std::string* listing = nullptr;
  const std::string* trace = nullptr;
  for (const auto& [name, text] : fs.files) {
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".jul") == 0) listing = &text;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".gap") == 0) trace = &text;
  }
  check(listing != nullptr && trace != nullptr, "both outputs exist");

  // Every record of a run has the same count of values, so its lines all
  // have one shape: a first line of 33 + 9k characters (k up to 10) and,
  // with 11 or 12 values, a second line of 7 or 16 after every first line.
  std::vector<std::string_view> lines = lines_of(*listing);
  std::size_t records = 0;
  if (!lines.empty()) {
    const std::size_t first = lines[0].size();
    check(first >= 33 && (first - 33) % 9 == 0 && first <= 123,
          "a listing line has the layout's width");
    const std::size_t second =
        first == 123 && lines.size() > 1 && lines[1].size() < 33 ? lines[1].size() : 0;
    check(second == 0 || second == 7 || second == 16, "a second line has the layout's width");
    const std::size_t per_record = second == 0 ? 1 : 2;
    check(lines.size() % per_record == 0, "every record has all its lines");
    for (std::size_t k = 0; k < lines.size(); k += per_record) {
      check(lines[k].size() == first, "every record has the same first line's width");
      if (second != 0) check(lines[k + 1].size() == second, "and the same second line's width");
    }
    records = lines.size() / per_record;
  }
  check_trace(points_of(*trace), status == app::kExitOk,
              records > 0 || status == app::kExitOutOfOrder);
  return 0;
}
