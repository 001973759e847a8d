// Whole runs in memory: replies and data in, console lines, files and exit
// status out.
#include "app/run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <map>
#include <string>

#include "app/run_state.h"

namespace {

// A file system held in a map; sinks write straight into it.
class MemoryFiles : public textio::FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::string full;  // name of a file on a full disk

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
    return std::make_unique<Into>(files[path], path == full);
  }

 private:
  struct Into : textio::Sink {
    Into(std::string& s, bool full) : text(s), full(full) {}
    int write(const char* p, std::size_t n) override {
      if (full) return ENOSPC;
      text.append(p, n);
      return 0;
    }
    std::string& text;
    bool full;
  };
};

struct Result {
  int status;
  std::string out, err;
};

Result run_once(MemoryFiles& fs, const std::string& replies) {
  textio::MemorySource in(replies);
  textio::MemorySink out, err;
  app::Console con(in, out, err);
  int status = app::run(con, fs);
  return {status, out.text, err.text};
}

// Runs once with the data file read whole, and checks that the same run
// with its bytes handed over three at a time, which cuts tokens and line
// ends across the reader's blocks, gives the same console, files and status.
Result run(MemoryFiles& fs, const std::string& replies) {
  MemoryFiles cut = fs;
  cut.step = 3;
  Result r = run_once(fs, replies);
  Result same = run_once(cut, replies);
  EXPECT_EQ(r.status, same.status);
  EXPECT_EQ(r.out, same.out);
  EXPECT_EQ(r.err, same.err);
  EXPECT_EQ(fs.files, cut.files);
  return r;
}

const char* const kBanner =
    " vantrel version 0.99\n"
    " Enter the name of the datfile name, e.g. mervo90.all\n"
    " Enter the name of the number of data fields, e.g. 9\n";

TEST(Run, NormalEnding) {
  MemoryFiles fs;
  fs.files["st90.all.tmp"] = "1 1 90 0 0 1.5 2\n1 1 90 1 0 2.5 3\n1 1 90 3 0 ,, 4\n1 1 90";
  Result r = run(fs, "st90.all\n2\n");
  EXPECT_EQ(r.status, app::kExitOk);
  EXPECT_EQ(r.out, std::string(kBanner) + " Reading st90.all.tmp                    \n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(fs.files["st90.jul"],
            "  0.000  365.000 01-01-1990 00:00     1.50     2.00\n"
            "  0.042  365.042 01-01-1990 01:00     2.50     3.00\n"
            "  0.125  365.125 01-01-1990 03:00     2.50     4.00\n");
  EXPECT_EQ(fs.files["st90.gap"],
            " 0.0 1\n 0.041666668 1\n 0.041666668 0\n 0.125 0\n 0.125 1\n"
            " 0.125 1\n 0.125 0\n 365.0 0\n");
}

TEST(Run, ReadErrorEnding) {
  MemoryFiles fs;
  fs.files["x.tmp"] = "2 1 90 0 0 1.5\n2 2 90 x 0 2.5\n";
  Result r = run(fs, "x\n1\n");
  EXPECT_EQ(r.status, app::kExitReadError);
  EXPECT_EQ(r.out, std::string(kBanner) + " Reading x.tmp" + std::string(27, ' ') +
                       "\n Read error\n 2/ 2/ 90 0: 0 1.5\n");
  EXPECT_NE(r.err.find("x.tmp line 2: the hour is not a whole number"), std::string::npos);
  EXPECT_EQ(fs.files["x.jul"], " 31.000  396.000 02-01-1990 00:00     1.50\n");
  EXPECT_EQ(fs.files["x.gap"], " 0.0 0\n 31.0 0\n 31.0 1\n");
}

TEST(Run, MonthOutsideTheYearEndsLikeAReadError) {
  for (const char* month : {"0", "13", "-2147483648"}) {
    MemoryFiles fs;
    fs.files["x.tmp"] = std::string("1 1 90 0 0\n") + month + " 1 90 0 0\n";
    Result r = run(fs, "x\n0\n");
    EXPECT_EQ(r.status, app::kExitReadError);
    EXPECT_NE(r.out.find(std::string(" Read error\n ") + month + "/ 1/ 90 0: 0\n"),
              std::string::npos);
    EXPECT_EQ(fs.files["x.jul"], "  0.000  365.000 01-01-1990 00:00\n");
  }
  // The report names the line the record starts on, however the record's
  // lines end and whatever blank lines stand before it.
  struct Where {
    const char* data;
    const char* line;
  };
  const Where cases[] = {
      {"13 1 90 0 0", "line 1:"},
      {"1 1 90 0 0\n13 1 90 0 0", "line 2:"},
      {"1 1 90 0 0\n\n\n13 1\n90 0\n0\n", "line 4:"},
      {"1 1 90 0 0\r\n  \r\n13 1 90 0 0\r\n", "line 3:"},
  };
  for (const Where& c : cases) {
    SCOPED_TRACE(c.data);
    MemoryFiles fs;
    fs.files["x.tmp"] = c.data;
    Result r = run(fs, "x\n0\n");
    EXPECT_EQ(r.status, app::kExitReadError);
    EXPECT_NE(r.err.find(std::string("x.tmp ") + c.line + " month 13 is not 1 to 12"),
              std::string::npos)
        << r.err;
  }
}

TEST(Run, OutOfOrderEnding) {
  MemoryFiles fs;
  fs.files["x.y.tmp"] = "1 2 90 0 0\n1 1 90 12 0\n1 3 90 0 0\n";
  Result r = run(fs, "x.y\n0\n");
  EXPECT_EQ(r.status, app::kExitOutOfOrder);
  EXPECT_NE(r.out.find(" HEY, 0.5 is less than 1.0  1/ 1/ 90 12: 0\n DATES OUT OF ORDER\n"),
            std::string::npos);
  EXPECT_EQ(r.err, "vantrel: x.y.tmp line 2: the record is dated before the one above it\n");
  EXPECT_EQ(fs.files["x.jul"], "  1.000  366.000 01-02-1990 00:00\n");
  EXPECT_EQ(fs.files["x.gap"], " 0.0 0\n 1.0 0\n 1.0 1\n");
}

TEST(Run, DialogueFailuresOpenNothing) {
  struct Case {
    const char* replies;
    int status;
    const char* message;
  };
  const Case cases[] = {
      {"", app::kExitDialogue, "standard input ended before the name of the data file"},
      {"x.y\n", app::kExitDialogue, "standard input ended before the number of data values"},
      {"x.y\nnine\n", app::kExitDialogue, "is not a whole number"},
      {"x.y\n9999999999\n", app::kExitDialogue, "beyond the 32-bit range"},
      {"x.y\n13\n", app::kExitDialogue, "13 values per record is more than the 12"},
      {"x.y\n2147483647\n", app::kExitDialogue, "more than the 12"},
      {",\n9\n", app::kExitDialogue, "no name was given"},
      {"/\n9\n", app::kExitDialogue, "no name was given"},
      {"abcdefghijabcdefghijabcdefghij.all\n9\n", app::kExitDialogue, "too long"},
      {"nothere.all\n9\n", app::kExitOpenFailed, "cannot open data file 'nothere.all.tmp'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.replies);
    MemoryFiles fs;
    fs.files["x.y.tmp"] = "1 1 90 0 0\n";
    Result r = run(fs, c.replies);
    EXPECT_EQ(r.status, c.status);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(fs.files.size(), 1u);
  }
}

TEST(Run, CountGivenAsSlashOrEmptyStaysTen) {
  for (const char* reply : {"/\n", ",\n", " , 3\n"}) {
    MemoryFiles fs;
    fs.files["x.tmp"] = "1 1 90 0 0 1 2 3 4 5 6 7 8 9 10\n";
    Result r = run(fs, std::string("x\n") + reply);
    EXPECT_EQ(r.status, app::kExitOk);
    EXPECT_EQ(fs.files["x.jul"].size(), 33u + 90u + 1u) << reply;
  }
}

TEST(Run, FullDiskIsReportedAndFails) {
  MemoryFiles fs;
  fs.files["x.tmp"] = "1 1 90 0 0\n";
  fs.full = "x.jul";
  Result r = run(fs, "x\n0\n");
  EXPECT_EQ(r.status, app::kExitWriteFailed);
  EXPECT_NE(r.err.find("listing file could not be written in full"), std::string::npos);
}

}  // namespace

// Enough records to fill the reader's blocks many times over, with the run
// stopped early or at the end.
TEST(Run, LongFilesStopWhereTheyShould) {
  std::string data;
  const int kRecords = 20000;
  for (int i = 0; i < kRecords; ++i) {
    int minute = i % 1440;
    data += "1 " + std::to_string(1 + i / 1440) + " 90 " + std::to_string(minute / 60) + " " +
            std::to_string(minute % 60) + " " + std::to_string(i) + ".25\n";
  }
  auto count_lines = [](const std::string& s) { return std::count(s.begin(), s.end(), '\n'); };
  {
    MemoryFiles fs;
    fs.files["x.tmp"] = data;
    Result r = run(fs, "x\n1\n");
    EXPECT_EQ(r.status, app::kExitOk);
    EXPECT_EQ(count_lines(fs.files["x.jul"]), kRecords);
    EXPECT_EQ(fs.files["x.jul"].substr(fs.files["x.jul"].size() - 43),
              " 13.888  378.888 01-14-1990 21:19 19999.25\n");
  }
  {
    // Record 5001 goes back in time; the 15000 after it are never listed.
    MemoryFiles fs;
    std::string::size_type at = 0;
    for (int i = 0; i < 5000; ++i) at = data.find('\n', at) + 1;
    fs.files["x.tmp"] = data.substr(0, at) + "1 1 90 0 0 0\n" + data.substr(at);
    Result r = run(fs, "x\n1\n");
    EXPECT_EQ(r.status, app::kExitOutOfOrder);
    EXPECT_EQ(count_lines(fs.files["x.jul"]), 5000);
  }
  {
    // A bad value in the last record: everything before it is listed.
    MemoryFiles fs;
    fs.files["x.tmp"] = data + "1 30 90 0 0 1.5.5\n";
    Result r = run(fs, "x\n1\n");
    EXPECT_EQ(r.status, app::kExitReadError);
    EXPECT_EQ(count_lines(fs.files["x.jul"]), kRecords);
    EXPECT_NE(r.err.find("x.tmp line 20001: value 1 is not a number"), std::string::npos);
  }
}
