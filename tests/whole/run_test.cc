// Whole runs in memory: replies and data in; console, files and exit status out.
#include "app/run.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "app/batch.h"
#include "app/progress.h"
#include "app/run_state.h"
#include "tests/support.h"

namespace {

using namespace std::string_literals;
using support::MemoryFiles;

struct Result {
  int status;
  std::string out, err;
};

// Runs with the data read whole, and checks that the data handed over three
// bytes a read (cutting tokens and line ends) changes nothing.
Result run(MemoryFiles& fs, const std::string& replies) {
  MemoryFiles cut = fs;
  cut.step = 3;
  Result r[2];
  for (int i = 0; i < 2; ++i) {
    textio::MemorySource in(replies);
    textio::MemorySink out, err;
    app::Console con(in, out, err);
    r[i] = {app::run(con, i == 0 ? fs : cut), out.text, err.text};
  }
  EXPECT_EQ(std::tie(r[0].status, r[0].out, r[0].err, fs.files),
            std::tie(r[1].status, r[1].out, r[1].err, cut.files));
  return r[0];
}

const std::string kBanner =
    " vantrel version 0.99\n"
    " Enter the name of the datfile name, e.g. mervo90.all\n"
    " Enter the name of the number of data fields, e.g. 9\n";

// How a run ends on its second record, after a good first one: the status,
// the console after the reading line, the report, and the listing after the
// first record's line. Nothing crashes; every record before the bad one is listed.
TEST(Run, EndingsOnTheSecondRecord) {
  const std::string digits(std::size_t{10'000'000}, '3');  // a long value
  struct Case {
    std::string record;
    int status;
    std::string out, err, listing;
  };
  const Case cases[] = {
      {"1 1 90 0 5 2\n", 0, "", "", "  0.003  365.003 01-01-1990 00:05     2.00\n"},
      {"1 1 90 0 5 0." + digits, 0, "", "", "  0.003  365.003 01-01-1990 00:05     0.33\n"},
      {"1 2147483647 -2147483648 2147483647 5 2", 0, "", "",
       "**************** 01-**-19*****:05     2.00\n"},
      {"1 1 90 0 5,,", 0, "",
       "a.tmp:2: note: an empty value took the previous record's value: 1 value in 1 record",
       "  0.003  365.003 01-01-1990 00:05     1.00\n"},
      {"1 1 90 0 5 /", 0, "", "", "  0.003  365.003 01-01-1990 00:05     1.00\n"},
      {"1 1 90 0 5", 0, "", "a.tmp:2: note: the last record is cut short by the end of the file",
       ""},
      {"\n\n13 1\n90 0\n0 2\n", 1, " Read error\n 13/ 1/ 90 0: 0 2.0\n",
       "a.tmp:4: error: month 13 is not 1 to 12, so the record has no place in the year\n", ""},
      {"0 1 90 0 5 2", 1, " Read error\n 0/ 1/ 90 0: 5 2.0\n", "a.tmp:2: error: month 0 is not",
       ""},
      {"-2147483648 1 90 0 5 2", 1, "", "month -2147483648 is not 1 to 12", ""},
      {"1 1 90 x 0 2", 1, " Read error\n 1/ 1/ 90 0: 0 1.0\n",
       "a.tmp:2: error: the hour (\"x\") is not a whole number\n", ""},
      {"1 1 90 0 99999999999 2", 1, " Read error\n 1/ 1/ 90 0: 0 1.0\n",
       "a.tmp:2: error: the minute (\"99999999999\") is beyond the range of its kind\n", ""},
      {"1 1 90 0 5 1e50", 1, " Read error\n 1/ 1/ 90 0: 5 1.0\n",
       "a.tmp:2: error: value 1 (\"1e50\") is beyond the range of its kind\n", ""},
      {"1 1 90 0 5 1" + digits, 1, "", "value 1 (\"1" + digits.substr(0, 39) + "...\") is beyond",
       ""},
      {"1 1 90 0 5 \x01\xff\0\x7f\"\\ 2"s, 1, "",
       "value 1 (\"\\x01\\xff\\x00\\x7f\\x22\\x5c\") is not a number\n", ""},
      {"1 1 90 0 5 *5", 1, "", "a.tmp:2: error: value 1 (\"*5\") is not a number\n", ""},
      {"1 1 90 0 0*5 2", 1, "",
       "a.tmp:2: error: a repeat count of zero stands before the minute (\"0*5\")", ""},
      {"1 0 90 0 0 2", 2, " HEY, -1.0 is less than 0.0  1/ 0/ 90 0: 0\n DATES OUT OF ORDER\n",
       "a.tmp:2: error: the record is dated before the one above it\n", ""},
      {"1 -1999999999 90 0 0 2", 2,
       " HEY, -2.0e+09 is less than 0.0  1/ -1999999999/ 90 0: 0\n DATES OUT OF ORDER\n",
       "a.tmp:2: error: the record is dated before", ""},
      {"\r\n\r\n1 1 90 0 -2147483648 2", 2,
       " HEY, -1491308.1 is less than 0.0  1/ 1/ 90 0: -2147483648\n DATES OUT OF ORDER\n",
       "a.tmp:4: error: the record", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.record.substr(0, 40));
    MemoryFiles fs;
    fs.files["a.tmp"] = "1 1 90 0 0 1.00 99 x\n" + c.record;  // the rest of a line is dropped
    const Result r = run(fs, "a\n1\n");
    EXPECT_EQ(r.status, c.status);
    if (!c.out.empty()) {
      EXPECT_EQ(r.out.substr(kBanner.size() + 42), c.out);  // after the reading line
    }
    EXPECT_EQ(r.err.empty(), c.err.empty());
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_EQ(fs.files["a.jul"], "  0.000  365.000 01-01-1990 00:00     1.00\n" + c.listing);
  }
}

// Replies: those that cannot name a file or a count end the run before any
// file is opened; the others name the data file (the reading line shows it
// padded to 32 characters) and the outputs' stem, and set the count of values.
TEST(Run, Replies) {
  struct Case {
    std::string replies;
    int status;
    std::string err, data = "x.y.tmp", stem = "x";
    std::size_t listing = 34;  // bytes: one line of no values
  };
  const Case cases[] = {
      {"", 3, "standard input ended before the name of the data file was given"},
      {"x.y\n", 3, "standard input ended before the number of data values was given"},
      {"x.y\nnine\n", 3, "the number of data values is not a whole number"},
      {"x.y\n9999999999\n", 3, "the number of data values is beyond the range of its kind"},
      {"x.y\n0*5\n", 3, "a repeat count of zero stands before the number of data values"},
      {"0*x.y\n9\n", 3, "a repeat count of zero stands before the name of the data file"},
      {"x.y\n13\n", 3, "13 values per record is more than the 12 that a record can hold"},
      {"x.y\n2147483647\n", 3, "2147483647 values per record is more than the 12"},
      {"'x'y\n9\n", 3, "the name of the data file is not a proper text"},
      {"/\n9\n", 3, "no name was given for the data file"},
      {"x\0y\n9\n"s, 3, "the name of the data file holds a NUL byte"},
      {std::string(40, 'a') + "\n9\n", 3, "the name of the data file is too long"},
      {"' x.y'\n9\n", 3, "the name of the data file is empty"},
      {"x.y\n/\n", 0, "", "x.y.tmp", "x", 124},
      {"x.y\n12\n", 0, "", "x.y.tmp", "x", 141},
      {"x.y\n-2147483648\n", 0, "", "x.y.tmp", "x", 34},
      {"mervo90.all\n0\n", 0, "", "mervo90.all.tmp", "mervo90"},
      {"a.b.c\n0\n", 0, "", "a.b.c.tmp", "a"},
      {"'ab cd.e'\n0\n", 0, "", "ab.tmp", "ab.tm"},
      {"mervo90\n0\n", 0, "", "mervo90.tmp", "mervo90"},
      {".all\n0\n", 0, "", ".all.tmp", ""},
      {"data/st90.all\n0\n", 0, "", "data/st90.all.tmp", "data/st90"},
      {"abcdefghijklmnopqrstuvw.yz123\n0\n", 0, "", "abcdefghijklmnopqrstuvw.yz123.tm",
       "abcdefghijklmnopqrstuvw"},
      {"abcdefghijklmnopqrstuvw.yz12345\n0\n", 0, "", "abcdefghijklmnopqrstuvw.yz12345.",
       "abcdefghijklmnopqrstuvw"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.replies);
    MemoryFiles fs;
    fs.files[c.data] = "1 1 90 0 0 0.01 0.01 0.01 0.01 0.01 0.01 0.01 0.01 0.01 0.01 0.01 0.01\n";
    const Result r = run(fs, c.replies);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err.substr(0, 16 + c.err.size()), c.err.empty() ? "" : "vantrel: error: " + c.err);
    if (c.status != 0) {
      EXPECT_EQ(fs.files.size(), 1u);
      continue;
    }
    EXPECT_EQ(r.out, kBanner + " Reading " + c.data + std::string(32 - c.data.size(), ' ') + "\n");
    EXPECT_EQ(fs.files[c.stem + ".jul"].size(), c.listing);
    EXPECT_EQ(fs.files[c.stem + ".jul"].find('*'), std::string::npos);
    EXPECT_EQ(fs.files.count(c.stem + ".gap"), 1u);
  }
}

// What points at a likely mistake is said on standard error, and the run
// goes on as it would have: a record over two lines (once a run), a first
// record from a year the calendar is not for, a 29 February that a year
// does not have, taken for 1 March.
TEST(Run, NotesOnLikelyMistakes) {
  struct Case {
    std::string data;
    int status;
    std::string err;
  };
  const Case cases[] = {
      {"1 1 90 0 0\n1\n1 1 90 0 5\n2\n", 0,
       "x.tmp:1: note: the record runs over onto the next line: that line holds 5 of its 6 numbers "
       "(5 date and time parts and 1 value); is the count of values right?\n"},
      {"1 1 90 0 0 1\n1 1 90 0 5 1, 2\n", 0, ""},
      {"1 1 0 0 0 1\n1 1 90 0 0 1\n", 0,
       "x.tmp:1: note: year 0 is not one of 89 to 99, the two-digit years of the calendar (1989 to "
       "1999, leap years 1992 and 1996 only): the listing shows it as 1900 by that calendar; "
       "write years as two digits, or list it as 2000 with --calendar gregorian\n"},
      {"1 1 2024 0 0 1\n", 0,
       "x.tmp:1: note: year 2024 is not one of 89 to 99, the two-digit "
       "years of the calendar (1989 to 1999, leap years 1992 and 1996 only): the listing shows it "
       "as 19** with asterisks for its epoch-day time; write years as two digits, or list it as "
       "2024 "
       "with --calendar gregorian\n"},
      {"1 1 89 0 0 1\n1 1 100 0 0 1\n", 0, ""},
      {"\n \n", 0, "x.tmp: note: the data file holds no record: the listing is empty\n"},
      {"1 1 90 0 0 1\n1 1 90 0 5,,\n1,1,90,0,9,3*\n1 1 90 0 12", 0,
       "x.tmp:2: note: an empty value took the previous record's value: 2 values in 2 records, the "
       "first on this line; is a field missing?\nvantrel: x.tmp:4: note: the last record is cut "
       "short by the end of the file and is not listed\n"},
      {"1 1 99 0 0 1\n", 0, ""},
      {"2 29 90 1 0 1\n3 1 90 0 0 1\n", 2,
       "x.tmp:2: error: the record is dated before the one above it, which is dated 29 February: "
       "the calendar has that day in the years written 92 and 96 only, and in others takes it "
       "for 1 March (--calendar gregorian has it in every leap year)\n"},
      {"2 29 92 1 0 1\n3 1 91 0 0 1\n", 2,
       "x.tmp:2: error: the record is dated before the one above it\n"},
      {"2 29 90 1 0 1\n2 28 90 0 0 1\n", 2,
       "x.tmp:2: error: the record is dated before the one above it\n"},
      {"2 29 90 1 0 1\n3 1 90 1 0 1\n2 28 90 0 0 1\n", 2,
       "x.tmp:3: error: the record is dated before the one above it\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    MemoryFiles fs;
    fs.files["x.tmp"] = c.data;
    const Result r = run(fs, "x\n1\n");
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, c.err.empty() ? "" : "vantrel: " + c.err);
  }
}

// A source that fails is never taken for one that ended: the data file
// failing at its start, between records, within one or right after what
// may be only part of its last value ends the run as a
// record that cannot be read, every record before it listed; standard input
// failing is no missing reply (standard input a folder: e2e.sh); a bad
// token in a source without end still ends the run.
TEST(Run, ReadFailuresAreFailures) {
  struct Case {
    std::string data;
    std::size_t listed;
  };
  const Case cases[] = {{"", 0},
                        {"1 1 90 0 0 1\n", 1},
                        {"1 1 90 0 0 1\n1 1 90", 1},
                        {"1 1 90 0 0 1\n1 1 90 0 5 12.3", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.data);
    MemoryFiles fs;
    fs.files["x.tmp"] = c.data;
    fs.broken = "x.tmp";
    const Result r = run(fs, "x\n1\n");
    EXPECT_EQ(r.status, app::kExitReadError);
    EXPECT_EQ(r.err, "vantrel: x.tmp: error: could not be read: Input/output error\n");
    EXPECT_EQ(fs.files["x.jul"].size(), 43 * c.listed);
  }
  // A token that goes on without end is reported as far as the report shows it.
  MemoryFiles fs;
  fs.files["x.tmp"] = "1 1 90 0 0 1";
  fs.endless = "x.tmp";
  EXPECT_EQ(run(fs, "x\n1\n").err, "vantrel: x.tmp:1: error: value 1 (\"1" + std::string(39, 'x') +
                                       "...\") is not a number\n");
  support::FailingSource in("x\n");
  textio::MemorySink out, err;
  app::Console con(in, out, err);
  EXPECT_EQ(app::run(con, fs), app::kExitDialogue);
  EXPECT_EQ(err.text, "vantrel: error: standard input could not be read: Input/output error\n");
}

// A full listing here, a full trace in e2e.sh.
TEST(Run, FullDiskIsReportedAndFails) {
  MemoryFiles fs;
  fs.files["x.tmp"] = "1 1 90 0 0\n";
  fs.full = "x.jul";
  const Result r = run(fs, "x\n0\n");
  EXPECT_EQ(r.status, app::kExitWriteFailed);
  EXPECT_EQ(
      r.err,
      "vantrel: x.tmp: error: the listing file 'x.jul' could not be written in full: No space left "
      "on device\n");
}

// The status line of a batch: the time left only once a file is done, from
// the share of the bytes read, or of the files when they are all empty.
TEST(Run, StatusLine) {
  struct Case {
    app::Tally tally;
    std::uint64_t bytes;
    std::string line;
  };
  const Case cases[] = {
      {{0, 0, 0, 0, 0}, 100, "\rvantrel: 0/4 files, 0 failed, 0 records/s\033[K"},
      {{1, 1, 0, 500, 25}, 100, "\rvantrel: 1/4 files, 1 failed, 50 records/s, 30 s left\033[K"},
      {{2, 0, 0, 0, 0}, 0, "\rvantrel: 2/4 files, 0 failed, 0 records/s, 10 s left\033[K"},
      {{3, 0, 0, 9, 99}, 100, "\rvantrel: 3/4 files, 0 failed, 1 records/s, 0 s left\033[K"},
  };
  for (const Case& c : cases) {
    textio::MemorySink err;
    app::Progress line(err, 4, c.bytes);
    line.show(c.tally, 10.0);
    EXPECT_EQ(err.text, c.line);
  }
}

// A file of several years split into station-years: each year's outputs,
// status and notes are what a file of its records alone gives, under
// either calendar and with --strict, its name the stem and the year; a
// record dated before the one above it still stops the file, the years
// before it whole, and so does a year that comes again, its outputs kept.
TEST(Run, SplitYears) {
  using records::Calendar;
  struct Case {
    Calendar calendar;
    bool strict;
    std::vector<std::pair<std::string, std::string>> years;  // suffix, records
    int status;
    std::string again;  // records after the years, of a year that comes again
  };
  const Case cases[] = {
      {Calendar::classic,
       false,
       {{"90", "12 31 90 23 0 1\n"}, {"91", "1 1 91 0 0 2\n2 1 91 0 0 3\n"}},
       0,
       ""},
      {Calendar::classic, false, {{"90", "3 1 90 0 0 1\n3 1 90 2 0 1\n"}}, 0, ""},
      {Calendar::classic, true, {{"99", "12 31 99 12 0 1\n"}, {"00", "1 1 00 12 0 2\n"}}, 7, ""},
      {Calendar::gregorian,
       false,
       {{"2023", "12 31 2023 23 0 1\n"},
        {"2024", "1 1 24 0 0 2\n2 29 2024 0 0 3\n"},
        {"1999", "3 1 99 0 0 4\n"}},
       0,
       ""},
      {Calendar::gregorian,
       true,
       {{"2023", "12 30 2023 0 0,,\n"}, {"2024", "1 1 2024 0 0 4\n"}},
       7,
       ""},
      {Calendar::gregorian,
       false,
       {{"2000", "1 5 2000 0 0 1\n"}, {"2001", "1 5 2001 0 0 2\n1 4 2001 0 0 3\n"}},
       2,
       ""},
      {Calendar::gregorian,
       false,
       {{"1990", "12 30 1990 0 0 1\n"}, {"1991", "1 1 1991 0 0 3\n"}},
       2,
       "1 3 1990 0 0 5\n"},
  };
  for (const Case& c : cases) {
    MemoryFiles split, alone;
    std::string all;
    for (const auto& [suffix, text] : c.years) {
      all += text;
      alone.files["y" + suffix + ".tmp"] = text;
    }
    split.files["st.all.tmp"] = all + c.again;
    SCOPED_TRACE(all + c.again);
    app::RunSettings s;
    s.count = *records::ValueCount::of(1);
    s.calendar = c.calendar;
    s.strict = c.strict;
    s.split_years = true;
    std::vector<app::FileRun> rows;
    s.finished = [&](const app::FileRun& r) { rows.push_back(r); };
    std::string log;
    EXPECT_EQ(app::run_batch_file(app::names_for_file("st.all.tmp", ""), s, split, log).status,
              c.status);
    s.split_years = false;
    ASSERT_EQ(rows.size(), c.years.size() + (c.again.empty() ? 0 : 1));
    for (std::size_t k = 0; k < c.years.size(); ++k) {
      const std::string& suffix = c.years[k].first;
      s.finished = [&](const app::FileRun& r) {
        EXPECT_EQ(std::tie(rows[k].status, rows[k].notes), std::tie(r.status, r.notes)) << suffix;
      };
      app::run_batch_file(app::names_for_file("y" + suffix + ".tmp", ""), s, alone, log);
      EXPECT_EQ(rows[k].names.listing, "st-" + suffix + ".jul");
      EXPECT_EQ(split.files["st-" + suffix + ".jul"], alone.files["y" + suffix + ".jul"]);
      EXPECT_EQ(split.files["st-" + suffix + ".gap"], alone.files["y" + suffix + ".gap"]);
    }
    EXPECT_EQ(split.files.size(), 1 + 2 * c.years.size());
  }
}

}  // namespace
