// The endings all three programs install, on the road of named temporaries
// (file systems without unnamed files, forced here by textio's fault hook):
// a stop removes the temporaries, says why under the program's own name and
// ends as the shell expects; an input cut short under its mapping ends with
// status 3 and names the file. Each case runs in a child process stopped at
// a known point: at its first write to an output, or where it reads a file
// that was just truncated.
#include "core/signals.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "check/check_command.h"
#include "core/console.h"
#include "import/swan_import.h"
#include "import/swan_text.h"
#include "support/test_support.h"
#include "textio/output_file.h"
#include "textio/records.h"

namespace wavecomp {
namespace {

using testing::ScratchDir;

// The child's end of the pipe through which it says it reached its first write.
int g_gate = -1;

int NamedTemporaries(textio::FileStep step) { return step == textio::FileStep::kCreateUnnamed ? EOPNOTSUPP : 0; }

int NamedTemporariesStoppingAtFirstWrite(textio::FileStep step) {
  if (step == textio::FileStep::kWrite) {
    const char reached = 'w';
    if (::write(g_gate, &reached, 1) == 1) {
      for (;;) ::pause();  // until the parent's signal ends the process
    }
  }
  return NamedTemporaries(step);
}

// What the child runs once the handlers are installed; its status when it returns.
using Work = std::function<int(const ScratchDir&)>;

int CheckPlot(const ScratchDir& dir) {
  Console out(stdout, nullptr), err(stderr, nullptr);
  return check::RunCheckCommand(std::vector<std::string>{"--svg", dir.PathOf("plot.svg"), dir.PathOf("wave.dat")}, out,
                                err);
}

int ImportSea(const ScratchDir& dir) {
  importer::SwanImportOptions options;
  options.swan_file = dir.PathOf("sea.sp2");
  options.normal_from = 270.0;
  options.out = dir.PathOf("coast");
  try {
    importer::RunSwanImport(options);
  } catch (...) {
    return 3;  // not where a signal stops it
  }
  return 0;
}

// Maps the component file, truncates it under the mapping, then reads it.
int ReadTruncatedInput(const ScratchDir& dir) {
  const textio::OutputFile plot = textio::OutputFile::Create(dir.PathOf("plot.svg"), textio::Publication::kReplace);
  const std::optional<textio::TextFile> file = textio::TextFile::Open(dir.PathOf("wave.dat"));
  if (!file || ::truncate(dir.PathOf("wave.dat").c_str(), 0) != 0) return 125;
  return static_cast<int>(file->record_count() % 100);
}

struct Ending {
  std::string name;
  const char* program;
  Work work;
  int signal = 0;    // sent at the first write; 0: the work ends with status 3
  std::string said;  // a part of standard error; DIR stands for the folder
};

std::vector<Ending> Endings() {
  std::vector<Ending> cases;
  const std::vector<std::pair<int, std::string>> signals = {{SIGINT, "interrupted (SIGINT)"},
                                                            {SIGTERM, "told to terminate (SIGTERM)"},
                                                            {SIGHUP, "the terminal went away (SIGHUP)"}};
  const std::vector<std::tuple<std::string, const char*, Work>> programs = {{"check", "wavecomp-check", CheckPlot},
                                                                            {"import", "wavecomp-import", ImportSea}};
  for (const auto& [name, program, work] : programs) {
    // Fault: SIGINT, SIGTERM or SIGHUP left the .partial files of the checker and the importer (26 of 28).
    for (const auto& [signal, reason] : signals) {
      cases.push_back({name + "_signal_" + std::to_string(signal), program, work, signal,
                       std::string(program) + ": " + reason + "; the run stopped and no file was written or changed"});
    }
  }
  // Fault: a mapped input cut short ended with SIGBUS (status 135) and no word of the program's own.
  cases.push_back({"input_cut_short", "wavecomp", ReadTruncatedInput, 0,
                   "wavecomp: the input file DIR/wave.dat became shorter while it was read"});
  return cases;
}

void PrintTo(const Ending& c, std::ostream* out) { *out << c.name; }

std::vector<std::string> Temporaries(const ScratchDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name.find(".partial-") != std::string::npos) names.push_back(name);
  }
  return names;
}

class EndingTest : public ::testing::TestWithParam<Ending> {};

TEST_P(EndingTest, RemovesTheTemporariesAndSaysWhy) {
  const Ending& c = GetParam();
  ScratchDir dir, logs;
  const std::string wave = testing::ReadFile(testing::SourcePath("tests/data/golden/examples_jonswap/wave.dat"));
  dir.Write("wave.dat", wave);
  dir.Write("sea.sp2", testing::Swan2D({testing::SyntheticSea{}}, testing::SwanLayout{}).text);
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(gate[0]);
    g_gate = gate[1];
    const int out = ::open("/dev/null", O_WRONLY);
    const int err = ::open(logs.PathOf("err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(125);
    ::alarm(120);  // a child that is never stopped does not hang the suite
    InstallSignalHandlers(c.program);
    textio::SetFaultHook(c.signal != 0 ? NamedTemporariesStoppingAtFirstWrite : NamedTemporaries);
    ::_exit(c.work(dir));
  }
  ASSERT_GT(child, 0);
  ::close(gate[1]);
  if (c.signal != 0) {
    char reached = 0;
    ASSERT_EQ(::read(gate[0], &reached, 1), 1) << "the child ended before its first write";
    EXPECT_FALSE(Temporaries(dir).empty()) << "not on the road of named temporaries";
    ::kill(child, c.signal);
  }
  ::close(gate[0]);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  const std::string err = testing::ReadFile(logs.PathOf("err"));
  if (c.signal != 0) {
    ASSERT_TRUE(WIFSIGNALED(status)) << err;
    EXPECT_EQ(WTERMSIG(status), c.signal);
  } else {
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 3) << err;
  }
  std::string said = c.said;
  if (const std::size_t at = said.find("DIR"); at != std::string::npos) said.replace(at, 3, dir.path());
  EXPECT_NE(err.find(said), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_TRUE(Temporaries(dir).empty());
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "wave.dat" || name == "sea.sp2") << name << " was left";
  }
  if (c.name != "input_cut_short") {
    EXPECT_EQ(dir.Read("wave.dat"), wave);
  }
}

INSTANTIATE_TEST_SUITE_P(NamedTemporaries, EndingTest, ::testing::ValuesIn(Endings()),
                         [](const ::testing::TestParamInfo<Ending>& tested) { return tested.param.name; });

}  // namespace
}  // namespace wavecomp
