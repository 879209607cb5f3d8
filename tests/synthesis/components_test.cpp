#include "synthesis/components.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "core/console.h"
#include "core/run_stop.h"
#include "core/workspace.h"

namespace wavecomp {
namespace {

constexpr double kDegree = 0.017453292519943295;
// The first direction draws of every run, worked out in single precision
// by an independent script: seeds 474650, 1121250, 161172.
constexpr double kFirstDirectionU = 0.28516054153442383;
constexpr double kSecondDirectionU = 0.6736252903938293;

WorkspacePtr ComponentWorkspace(const char* type, double Smax, int N) {
  WorkspacePtr workspace = MakeWorkspace();
  ControlSettings& control = workspace->control;
  Store(control.spectrum_type, type);
  control.Smax = Smax;
  control.component_count = N;
  control.dirmin = -90.0;
  control.dirmax = 90.0;
  control.random_seed = 0;
  workspace->ecomp = 0.125;
  // A uniform distribution for every component: cumD(i, k) = k / 180.
  for (int i = 1; i <= std::max(N, 1); ++i) {
    for (int k = 0; k <= kLastNode; ++k) workspace->cumD(i, k) = k / 180.0;
  }
  return workspace;
}

TEST(MakeComponents, GivesEqualAmplitudesDrawnDirectionsAndPhases) {
  WorkspacePtr workspace = ComponentWorkspace("JNS ", 10.0, 3);
  Console console;
  MakeComponents(*workspace, console);
  EXPECT_EQ(console.captured(), "");
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(workspace->a[i], 0.5) << i;  // sqrt(2 * 0.125)
  // Uniform over -90..90 degrees: the inverse is -90 + 180 u.
  EXPECT_NEAR(workspace->theta[1], (-90.0 + 180.0 * kFirstDirectionU) * kDegree, 1.0e-12);
  EXPECT_NEAR(workspace->theta[2], (-90.0 + 180.0 * kSecondDirectionU) * kDegree, 1.0e-12);
  // Phases from the random seed 0: seeds 351750, 1546741, 436297.
  EXPECT_DOUBLE_EQ(workspace->phase[1], 1.3277915430016818);
  EXPECT_DOUBLE_EQ(workspace->phase[2], 5.838663066426846);
  EXPECT_DOUBLE_EQ(workspace->phase[3], 1.6469409085337918);
  EXPECT_EQ(workspace->control.random_seed, 436297);  // the N-th generated value
}

TEST(MakeComponents, NoComponentsChangesNothing) {
  for (int N : {0, -5}) {
    WorkspacePtr workspace = ComponentWorkspace("Emep", 10.0, N);
    workspace->control.random_seed = 4711;
    workspace->a[1] = workspace->theta[1] = workspace->phase[1] = 3.0;
    Console console;
    MakeComponents(*workspace, console);
    EXPECT_EQ(workspace->control.random_seed, 4711);
    EXPECT_EQ(workspace->a[1], 3.0);
    EXPECT_EQ(workspace->theta[1], 3.0);
    EXPECT_EQ(workspace->phase[1], 3.0);
    EXPECT_EQ(DrawComponentDirections(*workspace, kFirstDirectionSeed), kFirstDirectionSeed);
  }
}

TEST(MakeComponents, UnspreadSpectraPointStraightAheadWithoutDrawing) {
  struct Case {
    const char* type;
    double Smax;
    bool drawn;
  };
  const Case cases[] = {
      {"JNS ", 999.0, false},
      {"Sspe", 1500.0, false},
      {"JNS ", 998.99, true},
      // Emep and Ene always draw from the distribution they brought.
      {"Emep", 999.0, true},
      {"Ene ", 999.0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.type << " " << c.Smax);
    WorkspacePtr workspace = ComponentWorkspace(c.type, c.Smax, 2);
    workspace->theta[1] = workspace->theta[2] = 0.7;
    const std::int32_t seed = DrawComponentDirections(*workspace, kFirstDirectionSeed);
    if (c.drawn) {
      EXPECT_EQ(seed, 1121250);
      EXPECT_NEAR(workspace->theta[1], (-90.0 + 180.0 * kFirstDirectionU) * kDegree, 1.0e-12);
    } else {
      EXPECT_EQ(seed, kFirstDirectionSeed);
      EXPECT_EQ(workspace->theta[1], 0.0);
      EXPECT_EQ(workspace->theta[2], 0.0);
    }
  }
}

TEST(MakeComponents, EveryRunStartsItsDirectionsFromTheSameSeed) {
  WorkspacePtr first = ComponentWorkspace("JNS ", 10.0, 4);
  WorkspacePtr second = ComponentWorkspace("JNS ", 10.0, 4);
  second->control.random_seed = 99;
  Console console;
  MakeComponents(*first, console);
  MakeComponents(*second, console);
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(first->theta[i], second->theta[i]) << i;
  EXPECT_NE(first->phase[1], second->phase[1]);
}

TEST(MakeComponents, WeightBetweenTwoNodesKeepsDirectionsBetweenThem) {
  WorkspacePtr workspace = ComponentWorkspace("Emep", 10.0, 200);
  for (int i = 1; i <= 200; ++i) {
    for (int k = 0; k <= kLastNode; ++k) workspace->cumD(i, k) = k <= 100 ? 0.0 : 1.0;
  }
  DrawComponentDirections(*workspace, kFirstDirectionSeed);
  for (int i = 1; i <= 200; ++i) {
    // Nodes 100 and 101 lie at +10 and +11 degrees.
    EXPECT_GE(workspace->theta[i], 10.0 * kDegree) << i;
    EXPECT_LT(workspace->theta[i], 11.0 * kDegree) << i;
  }
}

TEST(MakeComponents, DistributionThatIsNotANumberLeavesTheDirection) {
  WorkspacePtr workspace = ComponentWorkspace("JNS ", 10.0, 1);
  for (int k = 0; k <= kLastNode; ++k) workspace->cumD(1, k) = std::numeric_limits<double>::quiet_NaN();
  workspace->theta[1] = 0.3;
  EXPECT_EQ(DrawComponentDirections(*workspace, kFirstDirectionSeed), 474650);
  EXPECT_EQ(workspace->theta[1], 0.3);
}

std::string StopText(SpectrumWorkspace& workspace) {
  try {
    DrawComponentDirections(workspace, kFirstDirectionSeed);
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.channel(), RunStop::Channel::kConsole);
    EXPECT_EQ(stop.exit_status(), kExitStopped);
    return stop.text();
  }
  ADD_FAILURE() << "the draw did not stop";
  return "";
}

TEST(MakeComponents, DirectionOutsideTheRangeStopsWithTheDiagnostic) {
  // A distribution starting at 0.9: the first draw (u = 0.2852) takes node 1
  // and its inverse lies at -96.1 degrees. Values by an independent script:
  // step 0.1, t = 9.9, theta = -1.6781060560089291.
  WorkspacePtr workspace = ComponentWorkspace("JNS ", 10.0, 1);
  workspace->cumD(1, 0) = 0.9;
  for (int k = 1; k <= kLastNode; ++k) workspace->cumD(1, k) = 1.0;
  EXPECT_EQ(StopText(*workspace),
            "    1    1         0.2852       -90.0000         0.1000         9.9000         0.0000        -1.6781"
            "         0.0000");
}

TEST(MakeComponents, DirectionThatIsNotANumberStopsToo) {
  // Node 0 not a number, node 1 above u: the inverse is not a number.
  WorkspacePtr workspace = ComponentWorkspace("JNS ", 10.0, 1);
  workspace->cumD(1, 0) = std::numeric_limits<double>::quiet_NaN();
  for (int k = 1; k <= kLastNode; ++k) workspace->cumD(1, k) = 1.0;
  EXPECT_NE(StopText(*workspace).find("NaN"), std::string::npos);
}

}  // namespace
}  // namespace wavecomp
