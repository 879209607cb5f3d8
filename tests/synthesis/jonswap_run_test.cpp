// JNS runs of the real program: the bundled example, and a refused sea state.
#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace wavecomp {
namespace {

using testing::ControlFileText;
using testing::ControlValues;
using testing::RunResult;
using testing::RunWavecomp;
using testing::ScratchDir;
using testing::SourcePath;

std::size_t LineCount(const std::string& text) {
  std::size_t count = 0;
  for (char c : text) count += c == '\n';
  return count;
}

TEST(JonswapRun, ExampleWritesTheSpectrumAndTheComponents) {
  ScratchDir dir;
  dir.CopyFrom(SourcePath("examples/jonswap/cont.txt"), "cont.txt");
  const RunResult result = RunWavecomp(dir);
  EXPECT_EQ(result.exit_status, 0) << result.out << result.err;
  // 0.01-1.0 Hz every 1.0e-5 Hz.
  EXPECT_EQ(LineCount(dir.Read("jonswap.spe")), 99000u);
  EXPECT_TRUE(dir.Exists("wave.dat"));
  EXPECT_NE(result.out.find(" mitgwd "), std::string::npos);
}

TEST(JonswapRun, RefusedSeaStateWritesNoFile) {
  ScratchDir dir;
  ControlValues values;
  values.gamma = "0.0";
  dir.Write("cont.txt", ControlFileText(values));
  const RunResult result = RunWavecomp(dir);
  EXPECT_EQ(result.exit_status, 1);
  const std::string message = " JONSWAP needs gamma > 0, T1/3 > 0 and fmin > 0 Hz; gamma, T1/3, fmin =";
  const std::size_t last_line = result.out.rfind('\n', result.out.size() - 2) + 1;
  EXPECT_EQ(result.out.substr(last_line, message.size()), message) << result.out;
  EXPECT_FALSE(dir.Exists("jonswap.spe"));
  EXPECT_FALSE(dir.Exists("wave.dat"));
}

}  // namespace
}  // namespace wavecomp
