// The README's recipes for running many sea states, taken from the README
// itself and run on two folders: every folder gets exactly what a run of
// its own gives.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ReadFile;
using testing::ScratchDir;
using testing::SourcePath;

const std::string kReadme = ReadFile(SourcePath("README.md"));

// The README line (of a code block, indent removed) that starts with `start`.
std::string ReadmeLine(const std::string& start) {
  for (const std::string& line : testing::Lines(kReadme)) {
    const std::size_t text = line.find_first_not_of(' ');
    if (text != std::string::npos && line.compare(text, start.size(), start) == 0) return line.substr(text);
  }
  ADD_FAILURE() << "the README has no line starting " << start;
  return "false";
}

// The fenced block that starts with `first`.
std::string ReadmeBlock(const std::string& first) {
  const std::size_t start = kReadme.find("```bash\n" + first);
  if (start == std::string::npos) {
    ADD_FAILURE() << "the README has no block starting " << first;
    return "false";
  }
  const std::size_t body = kReadme.find('\n', start) + 1;
  return kReadme.substr(body, kReadme.find("```", body) - body);
}

// Two sea states, as the README lays them out.
void MakeStates(const ScratchDir& dir) {
  for (const auto& [state, example] : {std::pair{"storm01", "jonswap"}, std::pair{"storm02", "sspe"}}) {
    std::filesystem::create_directories(dir.PathOf(std::string("sea-states/") + state));
    std::filesystem::copy(SourcePath(std::string("examples/") + example),
                          dir.PathOf(std::string("sea-states/") + state));
  }
}

// A shell in sea-states/ with the built wavecomp first on the PATH.
int Shell(const ScratchDir& dir, const std::string& commands) {
  const std::string bin = std::filesystem::path(WAVECOMP_EXE).parent_path().string();
  const std::string script = "cd '" + dir.PathOf("sea-states") + "' && export PATH='" + bin + "':\"$PATH\" HOME='" +
                             dir.path() + "' && " + commands;
  const int status = std::system(script.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ExpectEachStateAsAlone(const ScratchDir& dir) {
  for (const auto& [state, golden] :
       {std::pair{"storm01", "examples_jonswap"}, std::pair{"storm02", "examples_sspe"}}) {
    SCOPED_TRACE(state);
    const std::string folder = std::string("sea-states/") + state + "/";
    const std::string expected = SourcePath(std::string("tests/data/golden/") + golden + "/");
    EXPECT_EQ(dir.Read(folder + "wave.dat"), ReadFile(expected + "wave.dat"));
    EXPECT_EQ(dir.Read(folder + "run.log"), ReadFile(expected + "stdout"));
  }
}

TEST(SeaStates, GnuParallelRecipeRunsEveryFolder) {
  if (std::system("command -v parallel > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "GNU parallel is not installed (scripts/setup-debian.sh installs it)";
  }
  ScratchDir dir;
  MakeStates(dir);
  EXPECT_EQ(Shell(dir, ReadmeLine("parallel --jobs")), 0);
  ExpectEachStateAsAlone(dir);
}

TEST(SeaStates, SlurmArrayScriptRunsEveryFolder) {
  ScratchDir dir;
  MakeStates(dir);
  dir.Write("sea-states/run-states.sh", ReadmeBlock("#!/bin/bash"));
  // What sbatch --array=1-N does, one task after the other.
  const std::string tasks = ReadmeLine("ls -d */ > states.txt") +
                            " && test \"$(wc -l < states.txt)\" -eq 2"
                            " && SLURM_ARRAY_TASK_ID=1 bash run-states.sh && SLURM_ARRAY_TASK_ID=2 bash run-states.sh";
  EXPECT_EQ(Shell(dir, tasks), 0);
  ExpectEachStateAsAlone(dir);
}

}  // namespace
}  // namespace wavecomp
