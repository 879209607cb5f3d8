#include "synthesis/spreading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "core/console.h"
#include "core/workspace.h"
#include "support/test_support.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

constexpr double kPi = 3.141592653589793;

// The spreading stage of a JNS run with components at `frequencies`.
struct SpreadRun {
  SpreadRun(double Smax, double T13, double Dirc, const std::vector<double>& frequencies) {
    control.Smax = Smax;
    control.T13 = T13;
    control.Dirc = Dirc;
    control.component_count = static_cast<int>(frequencies.size());
    for (std::size_t i = 0; i < frequencies.size(); ++i) ws->bands.f[i + 1] = frequencies[i];
  }
  // The principal direction as the run then holds it.
  double Run(Console& console) {
    return mitgwd(control, control.T13, control.Dirc, ws->bands, ws->distribution, console);
  }

  ControlSettings control;
  WorkspacePtr ws = MakeWorkspace();
  Table<kMaxComponents, 0, kLastNode>& D = ws->distribution.D;
  Table<kMaxComponents, 0, kLastNode>& cumD = ws->distribution.cumD;
};

std::string Heading(double Smax) { return textio::ListLine().Text("mitgwd").Real(Smax).str() + "\n"; }

// The cumulative distribution of one component worked out directly: the
// spreading law, cos^(2s) on the 181 one-degree nodes, trapezoids, and the
// division by the total.
std::vector<double> ReferenceCumulative(double Smax, double T13, double Dirc, double f) {
  const double fp = 1.0 / (1.05 * T13);
  const double r = f / fp;
  const double s = f <= fp ? Smax * std::pow(r, 5.0) : Smax * std::pow(r, -2.5);
  std::vector<double> G(181);
  for (int k = 0; k <= 180; ++k) {
    const double angle = (-90.0 + k - Dirc) * kPi / 180.0;
    G[k] = std::pow(std::cos(angle / 2.0), 2.0 * s);
  }
  std::vector<double> cumulative(181, 0.0);
  for (int k = 1; k <= 180; ++k) cumulative[k] = cumulative[k - 1] + (G[k - 1] + G[k]) / 2.0;
  for (double& value : cumulative) value /= cumulative[180];
  return cumulative;
}

TEST(Mitgwd, SmaxOf999OnlyWritesTheHeading) {
  SpreadRun run(999.0, 10.0, 15.0, {0.08, 0.1});
  run.D(1, 3) = 7.0;
  run.cumD(2, 5) = 8.0;
  Console console;
  EXPECT_EQ(run.Run(console), 15.0);  // still degrees
  EXPECT_EQ(console.captured(), Heading(999.0));
  EXPECT_EQ(run.D(1, 3), 7.0);
  EXPECT_EQ(run.cumD(2, 5), 8.0);
}

TEST(Mitgwd, JustBelow999SpreadsAndConvertsTheDirection) {
  SpreadRun run(998.99, 10.0, 15.0, {0.1});
  Console console;
  const double theta0 = 15.0 * 0.017453292519943295;
  EXPECT_EQ(run.Run(console), theta0);
  EXPECT_EQ(console.captured(), Heading(998.99) + textio::ListLine().Real(theta0).str() + "\n");
  EXPECT_EQ(run.cumD(1, 180), 1.0);
  // Very narrow around +15 degrees (node 105): cos^(2s)(x/2) is close to
  // exp(-s x^2 / 4), a spread of 2.6 degrees for s near 999.
  EXPECT_LT(run.cumD(1, 95), 0.001);
  EXPECT_GT(run.cumD(1, 115), 0.999);
}

TEST(Mitgwd, NoComponentsStillWritesBothLinesAndConverts) {
  SpreadRun run(10.0, 10.0, -30.0, {});
  run.D(1, 0) = 7.0;
  Console console;
  const double theta0 = -30.0 * 0.017453292519943295;
  EXPECT_EQ(run.Run(console), theta0);
  EXPECT_EQ(console.captured(), Heading(10.0) + textio::ListLine().Real(theta0).str() + "\n");
  EXPECT_EQ(run.D(1, 0), 7.0);
}

TEST(Mitgwd, CumulativeDistributionsFollowTheSpreadingLaw) {
  struct Case {
    double Smax, T13, Dirc;
  };
  const Case cases[] = {{10.0, 10.0, 0.0}, {25.0, 8.0, 20.0}, {75.0, 12.0, -45.0}, {2.0, 6.0, 89.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "Smax " << c.Smax << " Dirc " << c.Dirc);
    const double fp = 1.0 / (1.05 * c.T13);
    // Below, at and above the spreading law's own peak frequency.
    const std::vector<double> frequencies = {0.5 * fp, 0.9 * fp, fp, 1.3 * fp, 3.0 * fp};
    SpreadRun run(c.Smax, c.T13, c.Dirc, frequencies);
    Console console;
    run.Run(console);
    const double dth = kPi / 180.0;
    for (int i = 1; i <= 5; ++i) {
      SCOPED_TRACE(i);
      const std::vector<double> expected = ReferenceCumulative(c.Smax, c.T13, c.Dirc, frequencies[i - 1]);
      EXPECT_EQ(run.cumD(i, 0), 0.0);
      EXPECT_EQ(run.cumD(i, 180), 1.0);
      double D_area = 0.0;
      for (int k = 1; k <= 180; ++k) {
        EXPECT_NEAR(run.cumD(i, k), expected[k], 1.0e-12) << k;
        EXPECT_GE(run.cumD(i, k), run.cumD(i, k - 1)) << k;
        D_area += (run.D(i, k - 1) + run.D(i, k)) * dth / 2.0;
      }
      // D is normalised with 2 dth instead of dth / 2.
      EXPECT_NEAR(D_area, 0.25, 1.0e-13);
    }
  }
}

TEST(Mitgwd, PrincipalDirectionZeroIsSymmetric) {
  SpreadRun run(10.0, 10.0, 0.0, {0.05, 0.0952, 0.2, 0.6});
  Console console;
  run.Run(console);
  for (int i = 1; i <= 4; ++i) {
    EXPECT_NEAR(run.cumD(i, 90), 0.5, 1.0e-14) << i;
    for (int k = 0; k <= 180; ++k) {
      EXPECT_NEAR(run.cumD(i, k) + run.cumD(i, 180 - k), 1.0, 1.0e-14) << i << " " << k;
      EXPECT_NEAR(run.D(i, k), run.D(i, 180 - k), 1.0e-14 * run.D(i, 90));
    }
    EXPECT_GT(run.D(i, 90), run.D(i, 60));
  }
}

TEST(Mitgwd, NoSpreadingParameterGivesAUniformDistribution) {
  struct Case {
    const char* name;
    double Smax, T13;
  };
  // T1/3 = 0 makes fp infinite, so s = Smax (f/fp)^5 = 0.
  const Case cases[] = {{"Smax 0", 0.0, 10.0}, {"T1/3 0", 10.0, 0.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SpreadRun run(c.Smax, c.T13, 25.0, {0.05, 0.1, 0.5});
    Console console;
    run.Run(console);
    for (int i = 1; i <= 3; ++i) {
      for (int k = 0; k <= 180; ++k) EXPECT_NEAR(run.cumD(i, k), k / 180.0, 1.0e-14) << i << " " << k;
    }
  }
}

// A spread sea needs s of 0 or more and a principal direction on the nodes:
// refused before the stage writes anything; the boundaries pass, and
// unspread neither matters (the bad-input table runs the other values).
TEST(Mitgwd, RefusesWhatCannotBeSpreadBeforeItsFirstLine) {
  const std::string smax = "Smax (cont.txt line 4, columns 11-20) is ";
  const std::string dirc = "the principal direction Dirc. (cont.txt line 7, columns 31-40) is ";
  const struct {
    double Smax, Dirc;
    std::string refusal;  // "" when spread as usual
  } cases[] = {
      // Fault: each of these gave every component direction 0 with status 0.
      {-1.0, 0.0, smax + "-1, below 0"},
      {998.99, 90.01, dirc + "90.01 deg, outside -90..+90"},
      {0.0, 0.0, ""},
      {10.0, 90.0, ""},
      {10.0, -90.0, ""},
      {999.0, 250.0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Smax) + " " + std::to_string(c.Dirc));
    SpreadRun run(c.Smax, 10.0, c.Dirc, {0.08, 0.1});
    Console console;
    const std::optional<RunEnding> ending = testing::EndingOfCall([&] { run.Run(console); });
    if (c.refusal.empty()) {
      EXPECT_FALSE(ending);
      continue;
    }
    ASSERT_TRUE(ending);
    EXPECT_EQ(ending->exit_status, kExitStopped);
    EXPECT_FALSE(ending->console_line);
    EXPECT_EQ(ending->diagnostic.value_or("").rfind(c.refusal, 0), 0u) << ending->diagnostic.value_or("");
    EXPECT_EQ(console.captured(), "");
  }
}

// What the nodes keep of the curve, worked by hand for components at the
// peak of the law (s = Smax): for s = 1, cos^2(x/2) = (1 + cos x)/2 holds
// pi over the full circle; around 0 the nodes keep (pi + 2)/2 of it, around
// +90 degrees (1 + sin x)/2 keeps pi/2, with mean cosine 1/(pi/2) and mean
// sine (pi/4)/(pi/2), a mean direction of atan2(pi/4, 1) = 38.146 degrees.
TEST(CutOfSpreading, ShareCutOffAndMeanDirectionOfWhatIsKept) {
  const struct {
    double Smax, Dirc, cut, mean_deg;
  } cases[] = {
      {1.0, 0.0, 1.0 - (kPi + 2.0) / (2.0 * kPi), 0.0},
      {1.0, 90.0, 0.5, 38.146},
      {0.0, 40.0, 0.5, 0.0},  // uniform over the circle, half of it kept
      {998.0, 0.0, 0.0, 0.0},
  };
  const double T13 = 10.0;
  const double fp = 1.0 / (1.05 * T13);
  const double f[] = {0.0, fp, fp};  // 1-based: two components at the peak
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.Smax) + " " + std::to_string(c.Dirc));
    const Cos2sSpreading spreading(c.Smax, T13, c.Dirc * kPi / 180.0, -90.0, 90.0);
    const SpreadingCut cut = CutOfSpreading(spreading, f, 2);
    EXPECT_NEAR(cut.cut_share, c.cut, 1.0e-4);
    EXPECT_NEAR(cut.mean_direction * 180.0 / kPi, c.mean_deg, 0.01);
  }
}

}  // namespace
}  // namespace wavecomp
