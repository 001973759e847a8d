// The dialogue as a person has it at a terminal: the built tool runs on a
// pseudo-terminal, and each reply is typed only once its prompt has shown.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

class Terminal : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("vantrel-tty-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::copy_file(fs::path(VANTREL_EXAMPLES) / "station90.all.tmp", dir_ / "station90.all.tmp");
  }
  void TearDown() override {
    if (master_ >= 0) ::close(master_);
    if (child_ > 0) {
      ::kill(child_, SIGKILL);
      ::waitpid(child_, nullptr, 0);
    }
    fs::remove_all(dir_);
  }

  // Starts the tool on a new terminal; false when this machine has none to give.
  bool start() {
    child_ = ::forkpty(&master_, nullptr, nullptr, nullptr);
    if (child_ < 0) return false;
    if (child_ == 0) {
      // Through a shell, so that a cross build's emulator can stand before the tool.
      const char* cmd = "exec " VANTREL_EMULATOR "'" VANTREL_BINARY "'";
      if (::chdir(dir_.c_str()) == 0) ::execl("/bin/sh", "sh", "-c", cmd, nullptr);
      ::_exit(127);
    }
    return true;
  }

  // Reads what the terminal shows until text has appeared (true), the tool
  // has closed it, or ten seconds have passed.
  bool wait_for(const std::string& text) {
    while (screen_.find(text) == std::string::npos) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 10000) <= 0) return false;
      char buf[4096];
      ssize_t n = ::read(master_, buf, sizeof buf);
      if (n <= 0) return false;  // EIO: the tool has gone and the terminal is closed
      screen_.append(buf, static_cast<std::size_t>(n));
    }
    return true;
  }

  // Types a line as a keyboard does, ending in a carriage return.
  void type(const std::string& line) {
    std::string keys = line + "\r";
    ASSERT_EQ(::write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  // Waits for the tool to end; its exit status, or -1.
  int finish() {
    wait_for("\x01never shown");  // drain until the terminal closes
    int st = 0;
    ::waitpid(child_, &st, 0);
    child_ = -1;
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  }

  fs::path dir_;
  int master_ = -1;
  pid_t child_ = -1;
  std::string screen_;
};

TEST_F(Terminal, PromptsShowBeforeEachReply) {
  if (!start()) GTEST_SKIP() << "no pseudo-terminal: " << std::strerror(errno);
  ASSERT_TRUE(wait_for("e.g. mervo90.all\r\n")) << screen_;
  EXPECT_NE(screen_.find(" vantrel version 0.99\r\n"), std::string::npos);
  // Nothing beyond the first prompt until it is answered.
  EXPECT_EQ(screen_.find("data fields"), std::string::npos);
  type("station90.all");
  ASSERT_TRUE(wait_for("e.g. 9\r\n")) << screen_;
  EXPECT_EQ(screen_.find("Reading"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "station90.jul"));  // no file before both replies
  type("9");
  ASSERT_TRUE(wait_for("Reading station90.all.tmp")) << screen_;
  EXPECT_EQ(finish(), 0) << screen_;
  // The replies were echoed by the terminal where they were typed.
  EXPECT_NE(screen_.find("mervo90.all\r\nstation90.all\r\n"), std::string::npos) << screen_;
  EXPECT_EQ(slurp(dir_ / "station90.jul"), slurp(fs::path(VANTREL_EXAMPLES) / "station90.jul"));
  EXPECT_EQ(slurp(dir_ / "station90.gap"), slurp(fs::path(VANTREL_EXAMPLES) / "station90.gap"));
}

TEST_F(Terminal, EndOfInputAtThePromptFails) {
  if (!start()) GTEST_SKIP() << "no pseudo-terminal: " << std::strerror(errno);
  ASSERT_TRUE(wait_for("e.g. mervo90.all\r\n")) << screen_;
  ASSERT_EQ(::write(master_, "\x04", 1), 1);  // Ctrl-D on an empty line
  EXPECT_TRUE(wait_for("standard input ended")) << screen_;
  EXPECT_EQ(finish(), 3);
}

}  // namespace
