#include "core/terminal_encoding.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/messages.h"
#include "support/test_support.h"

namespace wavecomp {
namespace {

// A UTF-8 locale of this machine, or nullopt (the terminal tests skip).
std::optional<std::string> Utf8LocaleName() {
  const std::string saved = std::setlocale(LC_CTYPE, nullptr);
  std::optional<std::string> found;
  for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
    if (std::setlocale(LC_CTYPE, name) != nullptr) {
      found = name;
      break;
    }
  }
  std::setlocale(LC_CTYPE, saved.c_str());
  return found;
}

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnvironment() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// The first echo line of a JONSWAP run: label, then "JONSWAP" right-justified
// in 30 Shift-JIS bytes (23 blanks).
const std::string kEchoTail = std::string(23, ' ') + "JONSWAP";

TEST(TerminalEncoding, ConvertsTheConsoleTextsToUtf8) {
  ShiftJisToUtf8 converter;
  ASSERT_TRUE(converter.available());
  struct Case {
    std::string shift_jis;
    std::string utf8;
  };
  const Case cases[] = {
      {std::string(messages::kSpectrumLabel), "周波数スペクトル   : "},
      {std::string(messages::kSourceEmep), "方向スペクトル直接入力"},
      {std::string(messages::kEchoGamma) + "   3.30", "γ=   3.30"},
      {std::string(messages::kDegreeSign), "°"},
      {std::string(messages::kTooManyComponents),
       "エネルギー等分割とする場合には，   分割数を1024以下に設定してください"},
      {" mitgwd   10.000000000000000     ", " mitgwd   10.000000000000000     "},
      {"", ""},
      // A lead byte without its second byte, and a byte that starts nothing.
      {"ab\x81", "ab?"},
      {"\xff"
       "x",
       "?x"},
  };
  for (const Case& c : cases) EXPECT_EQ(converter.Convert(c.shift_jis), c.utf8);
}

TEST(TerminalEncoding, FiltersOnlyTerminalsWithAUtf8Locale) {
  const std::optional<std::string> utf8 = Utf8LocaleName();
  if (!utf8) GTEST_SKIP() << "no UTF-8 locale on this machine";
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  int master = -1, slave = -1;
  ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  {
    ScopedEnvironment all("LC_ALL", *utf8);
    EXPECT_FALSE(TerminalLineFilter(pipe_ends[1])) << "a pipe keeps the bytes";
    const LineFilter filter = TerminalLineFilter(slave);
    ASSERT_TRUE(filter);
    EXPECT_EQ(filter(std::string(messages::kSpectrumLabel) + kEchoTail), "周波数スペクトル   : " + kEchoTail);
  }
  {
    ScopedEnvironment all("LC_ALL", "C");
    EXPECT_FALSE(TerminalLineFilter(slave)) << "a terminal without UTF-8 gets the bytes";
  }
  for (int descriptor : {pipe_ends[0], pipe_ends[1], master, slave}) ::close(descriptor);
}

TEST(TerminalEncoding, RunThroughAPipeKeepsTheShiftJisBytes) {
  testing::ScratchDir dir;
  dir.Write("cont.txt", testing::ControlFileText({}));
  // Even with a UTF-8 locale: a pipe is not a terminal.
  const std::optional<std::string> utf8 = Utf8LocaleName();
  ScopedEnvironment all("LC_ALL", utf8.value_or("C"));
  const testing::RunResult run = testing::RunWavecomp(dir);
  const std::string first = run.out.substr(0, run.out.find('\n'));
  EXPECT_EQ(first, std::string(messages::kSpectrumLabel) + kEchoTail);
  EXPECT_NE(run.out.find(std::string(messages::kDegreeSign) + "  " + std::string(messages::kEchoGamma)),
            std::string::npos);
}

TEST(TerminalEncoding, RunOnAUtf8TerminalShowsUtf8) {
  const std::optional<std::string> utf8 = Utf8LocaleName();
  if (!utf8) GTEST_SKIP() << "no UTF-8 locale on this machine";
  testing::ScratchDir dir;
  dir.Write("cont.txt", testing::ControlFileText({}));
  int master = -1;
  const pid_t child = ::forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::chdir(dir.path().c_str()) != 0) ::_exit(126);
    ::setenv("LC_ALL", utf8->c_str(), 1);
    ::execl(WAVECOMP_EXE, WAVECOMP_EXE, static_cast<char*>(nullptr));
    ::_exit(127);
  }
  std::string screen;
  char buffer[4096];
  ssize_t got = 0;
  // The read fails (EIO) once the program has ended and closed the terminal.
  while ((got = ::read(master, buffer, sizeof buffer)) > 0) screen.append(buffer, static_cast<std::size_t>(got));
  ::close(master);
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << screen;
  std::string text;
  for (char c : screen) {
    if (c != '\r') text.push_back(c);  // the terminal ends lines with CR LF
  }
  // The layout is made in Shift-JIS bytes: 23 blanks before JONSWAP, F7.2
  // fields after the degree sign, then converted.
  EXPECT_EQ(text.substr(0, text.find('\n')), "周波数スペクトル   : " + kEchoTail);
  EXPECT_NE(text.find("H1/3=   1.00m  T1/3=  10.00s  Dirc.=   0.00°  γ=   3.30\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace wavecomp
