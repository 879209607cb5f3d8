// A JNS run of the real program whose sea state is refused (the bundled
// example is one of the golden runs).
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
