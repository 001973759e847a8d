// The built tool run on real files in a scratch folder, with its replies on
// standard input; outputs compared byte for byte.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class EndToEnd : public testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() / ("vantrel-e2e-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void put(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string get(const std::string& name) {
    std::ifstream f(dir_ / name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }
  bool exists(const std::string& name) { return fs::exists(fs::symlink_status(dir_ / name)); }

  // Runs the tool in the scratch folder; stdout and stderr go to files.
  // tail is put after the command, e.g. a pipe.
  int run(const std::string& replies, const std::string& tail = "> stdout") {
    put("replies", replies);
    std::string cmd = "cd '" + dir_.string() +
                      "' && " VANTREL_EMULATOR "'" VANTREL_BINARY "' < replies 2> stderr " + tail;
    int st = std::system(cmd.c_str());
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }

  fs::path dir_;
};

const char* const kYear =
    "1 1 90 0 0 -5.25 80\n"
    "1 1 90 0 30 -5.5 81\n"
    "1 1 90 1 30 -6 82.5\n"
    "1 1 90 2 31 -6.125 83\n"
    "2 28 90 23 0 1e2 -0.004\n"
    "12 31 90 23 17 7.125 900\n";

TEST_F(EndToEnd, AYearThroughTheTool) {
  put("st90.all.tmp", kYear);
  EXPECT_EQ(run("st90.all\n2\n"), 0);
  EXPECT_EQ(get("stdout"),
            " vantrel version 0.99\n"
            " Enter the name of the datfile name, e.g. mervo90.all\n"
            " Enter the name of the number of data fields, e.g. 9\n"
            " Reading st90.all.tmp                    \n");
  EXPECT_EQ(get("stderr"), "");
  EXPECT_EQ(get("st90.jul"),
            "  0.000  365.000 01-01-1990 00:00    -5.25    80.00\n"
            "  0.021  365.021 01-01-1990 00:30    -5.50    81.00\n"
            "  0.062  365.062 01-01-1990 01:30    -6.00    82.50\n"
            "  0.105  365.105 01-01-1990 02:31    -6.12    83.00\n"
            " 58.958  423.958 02-28-1990 23:00   100.00    -0.00\n"
            "364.970  729.970 12-31-1990 23:17     7.12   900.00\n");
  EXPECT_EQ(get("st90.gap"),
            " 0.0 1\n"
            " 0.0625 1\n 0.0625 0\n 0.10486111 0\n 0.10486111 1\n"
            " 0.10486111 1\n 0.10486111 0\n 58.958332 0\n 58.958332 1\n"
            " 58.958332 1\n 58.958332 0\n 364.97015 0\n 364.97015 1\n"
            " 365.0 1\n");
}

// The bundled sample, checked by hand once: the outage from 12 March 14:10
// to 14 March 09:40 is the trace's one notch.
TEST_F(EndToEnd, BundledSampleGivesItsStoredOutputs) {
  auto read = [](const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  };
  const fs::path ex = VANTREL_EXAMPLES;
  put("station90.all.tmp", read(ex / "station90.all.tmp"));
  ASSERT_EQ(run(read(ex / "station90.replies")), 0);
  EXPECT_EQ(get("station90.jul"), read(ex / "station90.jul"));
  EXPECT_EQ(get("station90.gap"), read(ex / "station90.gap"));
  EXPECT_EQ(get("station90.gap"),
            " 0.0 0\n 59.0 0\n 59.0 1\n 70.59028 1\n 70.59028 0\n 72.40278 0\n 72.40278 1\n"
            " 86.99306 1\n 86.99306 0\n 365.0 0\n");
}

TEST_F(EndToEnd, CrLfAndTabsReadLikeLinesAndBlanks) {
  put("a.tmp", kYear);
  ASSERT_EQ(run("a\n2\n"), 0);
  std::string plain = get("a.jul") + get("a.gap");
  std::string crlf;
  for (char c : std::string(kYear)) {
    if (c == '\n')
      crlf += "\r\n";
    else if (c == ' ')
      crlf += "\t";
    else
      crlf += c;
  }
  put("a.tmp", crlf);
  ASSERT_EQ(run("a\r\n2\r\n"), 0);
  EXPECT_EQ(get("a.jul") + get("a.gap"), plain);
}

TEST_F(EndToEnd, OutputsOfAnEarlierRunAreReplaced) {
  put("b.c.tmp", "1 1 90 0 0\n");
  put("b.jul", std::string(5000, 'x'));
  put("b.gap", std::string(5000, 'y'));
  ASSERT_EQ(run("b.c\n0\n"), 0);
  EXPECT_EQ(get("b.jul"), "  0.000  365.000 01-01-1990 00:00\n");
  EXPECT_EQ(get("b.gap"), " 0.0 1\n 0.0 1\n 0.0 0\n 365.0 0\n");
}

TEST_F(EndToEnd, MissingDataFileTouchesNoOutput) {
  put("gone.jul", "old listing");
  EXPECT_EQ(run("gone.all\n9\n"), 4);
  EXPECT_NE(get("stderr").find("cannot open data file 'gone.all.tmp': No such file"),
            std::string::npos);
  EXPECT_EQ(get("gone.jul"), "old listing");
  EXPECT_FALSE(exists("gone.gap"));
}

TEST_F(EndToEnd, FoldersAreNotFiles) {
  fs::create_directory(dir_ / "d.tmp");
  EXPECT_EQ(run("d\n0\n"), 4);
  EXPECT_NE(get("stderr").find("Is a directory"), std::string::npos);
  EXPECT_FALSE(exists("d.jul"));
  put("e.tmp", "1 1 90 0 0\n");
  fs::create_directory(dir_ / "e.jul");
  EXPECT_EQ(run("e\n0\n"), 4);
  EXPECT_NE(get("stderr").find("cannot open listing file 'e.jul'"), std::string::npos);
}

TEST_F(EndToEnd, FullDiskFailsTheRun) {
  put("f.tmp", "1 1 90 0 0\n");
  fs::create_symlink("/dev/full", dir_ / "f.gap");
  EXPECT_EQ(run("f\n0\n"), 5);
  EXPECT_NE(get("stderr").find("trace file could not be written in full: No space left"),
            std::string::npos);
  EXPECT_EQ(get("f.jul"), "  0.000  365.000 01-01-1990 00:00\n");
}

TEST_F(EndToEnd, ClosedStandardOutputDoesNotCutTheFiles) {
  std::string data;
  for (int d = 1; d <= 28; ++d)
    for (int h = 0; h < 24; ++h)
      data += "2 " + std::to_string(d) + " 90 " + std::to_string(h) + " 0 1.5\n";
  put("g.tmp", data);
  run("g\n1\n", "| head -c 1 > /dev/null");
  EXPECT_EQ(get("g.jul").size(), 28u * 24u * 43u);
  EXPECT_EQ(get("g.gap"), " 0.0 0\n 31.0 0\n 31.0 1\n 58.958332 1\n 58.958332 0\n 365.0 0\n");
}

TEST_F(EndToEnd, ReadErrorKeepsEveryEarlierRecord) {
  put("h.tmp", "1 1 90 0 0 1\n1 1 90 0 5 2\n1 1 90 0 10 1e50\n1 1 90 0 15 4\n");
  EXPECT_EQ(run("h\n1\n"), 1);
  EXPECT_NE(get("stdout").find(" Read error\n 1/ 1/ 90 0: 10 2.0\n"), std::string::npos);
  EXPECT_NE(get("stderr").find("h.tmp line 3: value 1 is beyond the range"), std::string::npos);
  EXPECT_EQ(get("h.jul"),
            "  0.000  365.000 01-01-1990 00:00     1.00\n"
            "  0.003  365.003 01-01-1990 00:05     2.00\n");
}

TEST_F(EndToEnd, RepliesThatCannotNameAFileTouchNothing) {
  struct Case {
    std::string replies;
    int status;
  };
  const Case cases[] = {
      {"", 3},
      {"x.all\n", 3},
      {"x.all\nten\n", 3},
      {"x.all\n13\n", 3},
      {"x.all\n2147483647\n", 3},
      {"x.all\n99999999999\n", 3},
      {std::string("x\0y.all\n9\n", 10), 3},
      {std::string(40, 'a') + ".all\n9\n", 3},
      {",\n9\n", 3},
      {"/\n9\n", 3},
  };
  put("x.all.tmp", "1 1 90 0 0\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.replies);
    EXPECT_EQ(run(c.replies), c.status);
    EXPECT_NE(get("stderr").find("vantrel: "), std::string::npos);
    EXPECT_FALSE(exists("x.jul"));
    EXPECT_FALSE(exists("x.gap"));
  }
  // A count of -2147483648 reads and writes no values.
  EXPECT_EQ(run("x.all\n-2147483648\n"), 0);
  EXPECT_EQ(get("x.jul"), "  0.000  365.000 01-01-1990 00:00\n");
}

// Records that cannot be read, or placed in the year, or that hold values at
// the ends of what a field can hold: each run ends with its status and
// message, nothing crashes, and every record before the bad one is listed.
TEST_F(EndToEnd, FaultyRecordsEndCleanly) {
  struct Case {
    std::string record;  // the second record, after a good first one
    int status;
    std::string out;      // a line the console must hold, or empty
    std::string err;      // part of the report, or empty
    std::string listing;  // the second record's listing line, or empty
  };
  const std::string first = "  0.000  365.000 01-01-1990 00:00     1.00\n";
  const std::string ten_million_digits(std::size_t{10'000'000}, '3');
  const Case cases[] = {
      {"0 1 90 0 5 2", 1, " Read error\n 0/ 1/ 90 0: 5 2.0\n",
       "a.tmp line 2: month 0 is not 1 to 12", ""},
      {"13 1 90 0 5 2", 1, "", "a.tmp line 2: month 13 is not 1 to 12", ""},
      {"-2147483648 1 90 0 5 2", 1, "", "month -2147483648 is not 1 to 12", ""},
      {"1 2147483647 90 0 5 2", 0, "", "", "**************** 01-**-1990 00:05     2.00\n"},
      {"1 1 -2147483648 0 5 2", 0, "", "", "  0.003********* 01-01-19** 00:05     2.00\n"},
      {"1 1 90 2147483647 5 2", 0, "", "", "**************** 01-01-1990***:05     2.00\n"},
      {"1 1 90 0 -2147483648 2", 2,
       " HEY, -1491308.1 is less than 0.0  1/ 1/ 90 0: -2147483648\n DATES OUT OF ORDER\n", "", ""},
      {"1 1 90 -2147483648 2147483647 2", 2, " DATES OUT OF ORDER\n", "", ""},
      {"1 1 90 0 99999999999 2", 1, " Read error\n 1/ 1/ 90 0: 0 1.0\n",
       "a.tmp line 2: the minute is beyond the range of its kind", ""},
      {"1 1 90 0 5 1e50", 1, "", "a.tmp line 2: value 1 is beyond the range of its kind", ""},
      {"1 1 90 0 5 NaN", 1, "", "a.tmp line 2: value 1 is not a number", ""},
      {std::string("1 1 90 0 5 \x01\xff\x00\x7f", 15), 1, "", "value 1 is not a number", ""},
      {std::string("1 1\0 90 0 5 2", 13), 1, "", "a.tmp line 2: the day is not a whole number", ""},
      {"1 1 90 0 5 1" + ten_million_digits, 1, "", "value 1 is beyond the range", ""},
      {"1 1 90 0 5 0." + ten_million_digits, 0, "", "",
       "  0.003  365.003 01-01-1990 00:05     0.33\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record.substr(0, 40));
    put("a.tmp", "1 1 90 0 0 1\n" + c.record + "\n");
    EXPECT_EQ(run("a\n1\n"), c.status);
    EXPECT_NE(get("stdout").find(c.out), std::string::npos) << get("stdout");
    EXPECT_NE(get("stderr").find(c.err), std::string::npos) << get("stderr");
    EXPECT_EQ(get("a.jul"), first + c.listing);
  }
}

TEST_F(EndToEnd, EmptyDataFileAndANameWithoutAPoint) {
  put("mervo90.tmp", "");
  EXPECT_EQ(run("mervo90\n9\n"), 0);
  EXPECT_EQ(get("mervo90.jul"), "");
  EXPECT_EQ(get("mervo90.gap"), " 0.0 1\n 0.0 0\n 365.0 0\n");
}

// Started with no standard output or error, the tool must not let the files
// it opens take their descriptors: the console's lines would land in them.
TEST_F(EndToEnd, ClosedConsoleStreamsStayOutOfTheFiles) {
  put("m.a.tmp", "1 1 90 0 0\n1 1 90 0 x\n");
  EXPECT_EQ(run("m.a\n0\n", ">&- 2>&-"), 1);
  EXPECT_EQ(get("m.jul"), "  0.000  365.000 01-01-1990 00:00\n");
  EXPECT_EQ(get("m.gap"), " 0.0 1\n");
}

#ifndef VANTREL_SANITIZED
// Lines of any length are read in a fixed amount of memory: a 256 MiB line of
// blanks and a 64 MiB line of commas, with the address space held to 64 MiB.
TEST_F(EndToEnd, HugeLinesInSmallMemory) {
  // An emulator's own code cache alone is more than the limit.
  if (sizeof(VANTREL_EMULATOR) > 1) GTEST_SKIP() << "the limit would hold the emulator";
  {
    std::ofstream f(dir_ / "big.tmp", std::ios::binary);
    f << "1 1 90 0 0 1\n";
    std::string blanks(1 << 20, ' ');
    for (int i = 0; i < 256; ++i) f << blanks;
    f << "\n1 1 90 0 5 2\n";
    std::string commas(1 << 20, ',');
    for (int i = 0; i < 64; ++i) f << commas;
    f << "\n1 1 90 0 10 3\n";
  }
  put("replies", "big\n1\n");
  std::string cmd = "cd '" + dir_.string() +
                    "' && (ulimit -v 65536 && '" VANTREL_BINARY "' < replies > stdout 2> stderr)";
  int st = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(st));
  EXPECT_EQ(WEXITSTATUS(st), 0) << get("stderr");
  // The line of commas is a record of empty values: the one above, again.
  EXPECT_EQ(get("big.jul"),
            "  0.000  365.000 01-01-1990 00:00     1.00\n"
            "  0.003  365.003 01-01-1990 00:05     2.00\n"
            "  0.003  365.003 01-01-1990 00:05     2.00\n"
            "  0.007  365.007 01-01-1990 00:10     3.00\n");
}
#endif

}  // namespace
