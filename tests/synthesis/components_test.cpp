#include "synthesis/components.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "core/run_stop.h"
#include "core/workspace.h"

namespace wavecomp {
namespace {

constexpr double kDegree = 0.017453292519943295;
// The first direction draws of every run, worked out in single precision
// by an independent script: seeds 474650, 1121250, 161172.
constexpr double kFirstDirectionU = 0.28516054153442383;
constexpr double kSecondDirectionU = 0.6736252903938293;

// N components of energy 0.125 whose distributions are uniform:
// cumD(i, k) = k / 180.
struct ComponentRun {
  ComponentRun(const char* type, double Smax, int N) {
    control.type = *ParseSpectrumType(type);
    control.Smax = Smax;
    control.component_count = N;
    ws->bands.ecomp = 0.125;
    for (int i = 1; i <= std::max(N, 1); ++i) {
      for (int k = 0; k <= kLastNode; ++k) cumD(i, k) = k / 180.0;
    }
  }
  std::int32_t Make() { return MakeComponents(control, ws->bands, ws->distribution, ws->draws); }
  std::int32_t Draw() { return DrawComponentDirections(control, ws->distribution, theta, kFirstDirectionSeed); }

  ControlSettings control;
  WorkspacePtr ws = MakeWorkspace();
  double* a = ws->draws.a;
  double* theta = ws->draws.theta;
  double* phase = ws->draws.phase;
  Table<kMaxComponents, 0, kLastNode>& cumD = ws->distribution.cumD;
};

TEST(MakeComponents, GivesEqualAmplitudesDrawnDirectionsAndPhases) {
  ComponentRun run("JNS ", 10.0, 3);
  const std::int32_t seed = run.Make();
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(run.a[i], 0.5) << i;  // sqrt(2 * 0.125)
  // Uniform over -90..90 degrees: the inverse is -90 + 180 u.
  EXPECT_NEAR(run.theta[1], (-90.0 + 180.0 * kFirstDirectionU) * kDegree, 1.0e-12);
  EXPECT_NEAR(run.theta[2], (-90.0 + 180.0 * kSecondDirectionU) * kDegree, 1.0e-12);
  // Phases from the random seed 0: seeds 351750, 1546741, 436297.
  EXPECT_DOUBLE_EQ(run.phase[1], 1.3277915430016818);
  EXPECT_DOUBLE_EQ(run.phase[2], 5.838663066426846);
  EXPECT_DOUBLE_EQ(run.phase[3], 1.6469409085337918);
  EXPECT_EQ(seed, 436297);  // the N-th generated value
}

TEST(MakeComponents, NoComponentsChangesNothing) {
  for (int N : {0, -5}) {
    ComponentRun run("Emep", 10.0, N);
    run.control.random_seed = 4711;
    run.a[1] = run.theta[1] = run.phase[1] = 3.0;
    EXPECT_EQ(run.Make(), 4711);
    EXPECT_EQ(run.a[1], 3.0);
    EXPECT_EQ(run.theta[1], 3.0);
    EXPECT_EQ(run.phase[1], 3.0);
    EXPECT_EQ(run.Draw(), kFirstDirectionSeed);
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
    ComponentRun run(c.type, c.Smax, 2);
    run.theta[1] = run.theta[2] = 0.7;
    const std::int32_t seed = run.Draw();
    if (c.drawn) {
      EXPECT_EQ(seed, 1121250);
      EXPECT_NEAR(run.theta[1], (-90.0 + 180.0 * kFirstDirectionU) * kDegree, 1.0e-12);
    } else {
      EXPECT_EQ(seed, kFirstDirectionSeed);
      EXPECT_EQ(run.theta[1], 0.0);
      EXPECT_EQ(run.theta[2], 0.0);
    }
  }
}

TEST(MakeComponents, EveryRunStartsItsDirectionsFromTheSameSeed) {
  ComponentRun first("JNS ", 10.0, 4);
  ComponentRun second("JNS ", 10.0, 4);
  second.control.random_seed = 99;
  first.Make();
  second.Make();
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(first.theta[i], second.theta[i]) << i;
  EXPECT_NE(first.phase[1], second.phase[1]);
}

TEST(MakeComponents, WeightBetweenTwoNodesKeepsDirectionsBetweenThem) {
  ComponentRun run("Emep", 10.0, 200);
  for (int i = 1; i <= 200; ++i) {
    for (int k = 0; k <= kLastNode; ++k) run.cumD(i, k) = k <= 100 ? 0.0 : 1.0;
  }
  run.Draw();
  for (int i = 1; i <= 200; ++i) {
    // Nodes 100 and 101 lie at +10 and +11 degrees.
    EXPECT_GE(run.theta[i], 10.0 * kDegree) << i;
    EXPECT_LT(run.theta[i], 11.0 * kDegree) << i;
  }
}

TEST(MakeComponents, DistributionThatIsNotANumberLeavesTheDirection) {
  ComponentRun run("JNS ", 10.0, 1);
  for (int k = 0; k <= kLastNode; ++k) run.cumD(1, k) = std::numeric_limits<double>::quiet_NaN();
  run.theta[1] = 0.3;
  EXPECT_EQ(run.Draw(), 474650);
  EXPECT_EQ(run.theta[1], 0.3);
}

std::string StopText(ComponentRun& run) {
  try {
    run.Draw();
  } catch (const RunStop& stop) {
    EXPECT_EQ(stop.kind(), RunStop::Kind::kMessage);
    return stop.text();
  }
  ADD_FAILURE() << "the draw did not stop";
  return "";
}

TEST(MakeComponents, DirectionOutsideTheRangeStopsWithTheDiagnostic) {
  // A distribution starting at 0.9: the first draw (u = 0.2852) takes node 1
  // and its inverse lies at -96.1 degrees. Values by an independent script:
  // step 0.1, t = 9.9, theta = -1.6781060560089291.
  ComponentRun run("JNS ", 10.0, 1);
  run.cumD(1, 0) = 0.9;
  for (int k = 1; k <= kLastNode; ++k) run.cumD(1, k) = 1.0;
  EXPECT_EQ(StopText(run),
            "    1    1         0.2852       -90.0000         0.1000         9.9000         0.0000        -1.6781"
            "         0.0000");
}

TEST(MakeComponents, DirectionThatIsNotANumberStopsToo) {
  // Node 0 not a number, node 1 above u: the inverse is not a number.
  ComponentRun run("JNS ", 10.0, 1);
  run.cumD(1, 0) = std::numeric_limits<double>::quiet_NaN();
  for (int k = 1; k <= kLastNode; ++k) run.cumD(1, k) = 1.0;
  EXPECT_NE(StopText(run).find("NaN"), std::string::npos);
}

}  // namespace
}  // namespace wavecomp
