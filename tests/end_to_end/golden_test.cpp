// The shared samples and the bundled examples, run by the real program and
// compared byte for byte with what an independent implementation of the same
// rules made from the same inputs (tests/data/golden, see its README): the
// console bytes, the exit status, the component wave file, and the SHA-256 of
// every file the run created (jonswap.spe is too large to keep as it is).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ReadFile;
using testing::ScratchDir;
using testing::SourcePath;

struct GoldenCase {
  const char* golden;  // folder under tests/data/golden
  const char* inputs;  // folder of the run's inputs, relative to the source tree
};

class GoldenTest : public ::testing::TestWithParam<GoldenCase> {};

std::set<std::string> FilesIn(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

// The file names listed in a SHA256SUMS file ("<hash>  <name>" per line).
std::set<std::string> NamesIn(const std::string& sums) {
  std::set<std::string> names;
  std::istringstream lines(sums);
  std::string hash, name;
  while (lines >> hash >> name) names.insert(name);
  return names;
}

TEST_P(GoldenTest, RunGivesTheIndependentBytes) {
  const GoldenCase& c = GetParam();
  const std::string golden = SourcePath(std::string("tests/data/golden/") + c.golden);
  ScratchDir dir;
  std::filesystem::copy(SourcePath(c.inputs), dir.path());
  const std::set<std::string> inputs = FilesIn(dir.path());

  const testing::RunResult run = testing::RunWavecomp(dir);

  EXPECT_EQ(run.out, ReadFile(golden + "/stdout"));
  EXPECT_EQ("exit status: " + std::to_string(run.exit_status) + "\n", ReadFile(golden + "/status"));
  EXPECT_EQ(dir.Read("wave.dat"), ReadFile(golden + "/wave.dat"));

  // Exactly the files of SHA256SUMS were added, with those hashes.
  const std::string sums = ReadFile(golden + "/SHA256SUMS");
  std::set<std::string> created;
  for (const std::string& name : FilesIn(dir.path())) {
    if (inputs.count(name) == 0) created.insert(name);
  }
  EXPECT_EQ(created, NamesIn(sums));
  const std::string command = "cd '" + dir.path() + "' && sha256sum --check --quiet '" + golden + "/SHA256SUMS'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
}

INSTANTIATE_TEST_SUITE_P(SamplesAndExamples, GoldenTest,
                         ::testing::Values(GoldenCase{"samples_jonswap", "tests/data/samples/jonswap"},
                                           GoldenCase{"samples_sspe", "tests/data/samples/sspe"},
                                           GoldenCase{"samples_emep", "tests/data/samples/emep"},
                                           GoldenCase{"samples_ene", "tests/data/samples/ene"},
                                           GoldenCase{"examples_jonswap", "examples/jonswap"},
                                           GoldenCase{"examples_sspe", "examples/sspe"},
                                           GoldenCase{"examples_emep", "examples/emep"},
                                           GoldenCase{"examples_ene", "examples/ene"}),
                         [](const ::testing::TestParamInfo<GoldenCase>& tested) { return std::string(tested.param.golden); });

}  // namespace
}  // namespace wavecomp
