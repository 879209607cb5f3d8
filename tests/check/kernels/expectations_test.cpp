#include "check/kernels/expectations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <span>
#include <vector>

#include "check/analysis/analysis.h"
#include "check/component_text.h"
#include "check/kernels/statistics.h"
#include "check/targets/component_file.h"
#include "support/test_support.h"

namespace wavecomp::check {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDeg = kPi / 180.0;

// Plain reference of the JONSWAP density from its formulas.
double ReferenceJonswap(double H, double T, double gamma, double f) {
  const double Tp = T / (1.0 - 0.132 * std::pow(gamma + 0.2, -0.559));
  const double beta = 0.0624 / (0.230 + 0.0336 * gamma - 0.185 / (1.9 + gamma)) * (1.094 - 0.01915 * std::log(gamma));
  const double sigma = f <= 1.0 / Tp ? 0.07 : 0.09;
  const double G = std::exp(-(Tp * f - 1.0) * (Tp * f - 1.0) / (2.0 * sigma * sigma));
  return beta * H * H * std::pow(Tp, -4.0) * std::pow(f, -5.0) * std::exp(-1.25 * std::pow(Tp * f, -4.0)) *
         std::pow(gamma, G);
}

// Plain reference of the direction distribution of components at
// frequencies f: the cos^2s((theta - theta0)/2) law on -90..90 degrees with
// s = Smax (f/fp)^5 below fp = 1/(1.05 T) and Smax (f/fp)^-2.5 above,
// averaged over the components; integrated on a fine grid (0.01 degree
// unless told).
struct ReferenceDirections {
  double mean_deg = 0.0;
  double spread_deg = 0.0;
  std::array<double, 3> shares{};
  std::vector<double> grid_deg;  // cell midpoints
  std::vector<double> pdf;       // mixture probability of each cell
};

ReferenceDirections SpreadReference(const std::vector<double>& f, double Smax, double T, double theta0_deg,
                                    int cells = 18000) {
  ReferenceDirections r;
  const double width = 180.0 / cells;
  r.pdf.assign(cells, 0.0);
  for (int k = 0; k < cells; ++k) r.grid_deg.push_back(-90.0 + (k + 0.5) * width);
  const double fp = 1.0 / (1.05 * T);
  for (double fi : f) {
    const double ratio = fi / fp;
    const double s = fi <= fp ? Smax * std::pow(ratio, 5.0) : Smax * std::pow(ratio, -2.5);
    std::vector<double> g(cells);
    double total = 0.0;
    for (int k = 0; k < cells; ++k) {
      g[static_cast<std::size_t>(k)] =
          std::pow(std::cos((r.grid_deg[static_cast<std::size_t>(k)] - theta0_deg) * kDeg / 2.0), 2.0 * s);
      total += g[static_cast<std::size_t>(k)];
    }
    for (int k = 0; k < cells; ++k)
      r.pdf[static_cast<std::size_t>(k)] += g[static_cast<std::size_t>(k)] / total / static_cast<double>(f.size());
  }
  double c = 0.0, sn = 0.0;
  for (int k = 0; k < cells; ++k) {
    c += r.pdf[static_cast<std::size_t>(k)] * std::cos(r.grid_deg[static_cast<std::size_t>(k)] * kDeg);
    sn += r.pdf[static_cast<std::size_t>(k)] * std::sin(r.grid_deg[static_cast<std::size_t>(k)] * kDeg);
  }
  r.mean_deg = std::atan2(sn, c) / kDeg;
  r.spread_deg = std::sqrt(2.0 * (1.0 - std::hypot(c, sn))) / kDeg;
  const double half[3] = {10.0, 30.0, 60.0};
  for (int w = 0; w < 3; ++w) {
    for (int k = 0; k < cells; ++k) {
      if (std::abs(r.grid_deg[static_cast<std::size_t>(k)] - r.mean_deg) <= half[w])
        r.shares[static_cast<std::size_t>(w)] += r.pdf[static_cast<std::size_t>(k)];
    }
  }
  return r;
}

// Standard errors of the statistics of n draws from a distribution with
// spread sigma (degrees) and a share p.
double MeanError(double spread_deg, std::size_t n) { return spread_deg / std::sqrt(static_cast<double>(n)); }
double ShareError(double p, std::size_t n) { return std::sqrt(p * (1.0 - p) / static_cast<double>(n)); }

void ExpectWithinSamplingError(const DirectionStatistics& measured, const DirectionStatistics& expected,
                               std::size_t n) {
  ASSERT_TRUE(measured.defined);
  ASSERT_TRUE(expected.defined);
  EXPECT_NEAR(measured.mean_deg, expected.mean_deg, 4.0 * MeanError(expected.spread_deg, n));
  EXPECT_NEAR(measured.spread_deg, expected.spread_deg, 4.0 * MeanError(expected.spread_deg, n));
  for (std::size_t w = 0; w < 3; ++w) {
    EXPECT_NEAR(measured.shares[w], expected.shares[w], 4.0 * ShareError(expected.shares[w], n)) << "window " << w;
  }
}

TEST(CheckTargets, BandEnergyOfEqualEnergyComponentsOfAFlatSpectrumIsItsWholeEnergy) {
  // S = 1 on 0..1 Hz: N equal bands of 1/N, components at the band middles.
  std::vector<double> f, S;
  for (int j = 0; j <= 1000; ++j) {
    f.push_back(j / 1000.0);
    S.push_back(1.0);
  }
  const TargetSpectrum flat = TargetSpectrum::Samples("flat", f, S);
  const std::size_t N = 16;
  std::vector<double> fc, a;
  for (std::size_t i = 0; i < N; ++i) {
    fc.push_back((static_cast<double>(i) + 0.5) / N);
    a.push_back(std::sqrt(2.0 / N));
  }
  const BandEnergy band = *TargetBandEnergy(flat, fc, a);
  EXPECT_NEAR(band.f_lower, 0.0, 1e-12);
  EXPECT_NEAR(band.f_upper, 1.0, 1e-12);
  EXPECT_NEAR(band.m0, 1.0, 1e-12);
  EXPECT_NEAR(band.Hm0, 4.0, 1e-11);
  EXPECT_FALSE(TargetBandEnergy(flat, {}, {}).has_value());
}

TEST(CheckTargets, JonswapTargetHasTheFormulasPeakAndEnergy) {
  struct Case {
    double H, T, gamma;
  };
  for (const Case c : {Case{1.0, 10.0, 3.3}, Case{2.5, 8.0, 1.0}, Case{0.8, 14.0, 7.0}}) {
    const TargetSpectrum target = TargetSpectrum::Jonswap(c.H, c.T, c.gamma, 0.02, 0.6);
    const double Tp = c.T / (1.0 - 0.132 * std::pow(c.gamma + 0.2, -0.559));
    EXPECT_NEAR(target.PeakFrequency(), 1.0 / Tp, 1e-12);
    // Simpson's rule on a fine uniform grid over the whole spectrum.
    const double lo = 0.01, hi = 3.0;
    const int steps = 200000;
    const double h = (hi - lo) / steps;
    double sum = 0.0;
    for (int j = 0; j <= steps; ++j) {
      const double weight = j == 0 || j == steps ? 1.0 : (j % 2 == 1 ? 4.0 : 2.0);
      sum += weight * ReferenceJonswap(c.H, c.T, c.gamma, lo + j * h);
    }
    const double m0 = sum * h / 3.0;
    EXPECT_NEAR(target.Cumulative(hi) - target.Cumulative(lo), m0, 1e-6 * m0) << c.H << " " << c.T << " " << c.gamma;
    // Straight lines between samples cut the top of the peak by about S'' h^2 / 8.
    const double peak = ReferenceJonswap(c.H, c.T, c.gamma, 1.0 / Tp);
    EXPECT_NEAR(target.Density(1.0 / Tp), peak, 1e-6 * peak);
  }
}

TEST(CheckTargets, SplineTableOfAStraightLineIntegratesExactly) {
  // A cubic spline with parabolic run-out ends reproduces a straight line.
  const std::vector<double> f = {0.1, 0.2, 0.25, 0.4, 0.5};
  std::vector<double> S;
  for (double x : f) S.push_back(2.0 * x);
  const std::optional<TargetSpectrum> target = TargetSpectrum::SplineTable("line", f, S);
  ASSERT_TRUE(target.has_value());
  // The spline's value formula ends with 0.16666667, not 1/6: values come
  // out 2e-8 relative above the line.
  EXPECT_NEAR(target->Total(), 0.5 * 0.5 - 0.1 * 0.1, 1e-7 * 0.24);
  EXPECT_NEAR(target->Density(0.3), 0.6, 1e-7 * 0.6);
  // Descending frequencies cannot carry a spline.
  EXPECT_FALSE(TargetSpectrum::SplineTable("down", std::vector<double>{0.3, 0.2, 0.1}, std::vector<double>{1, 2, 3})
                   .has_value());
}

TEST(CheckTargets, SpreadDistributionMatchesTheCosinePowerLaw) {
  struct Case {
    double Smax, T, theta0_deg;
  };
  std::vector<double> f;
  for (int i = 0; i < 64; ++i) f.push_back(0.05 + 0.004 * i);  // below and above fp
  const std::vector<double> weights(f.size(), 1.0);
  for (const Case c : {Case{10.0, 10.0, 0.0}, Case{25.0, 8.0, 15.0}, Case{75.0, 12.0, -30.0}, Case{0.0, 10.0, 0.0}}) {
    const std::optional<std::vector<double>> cells = SpreadDirectionCells(f, weights, c.Smax, c.T, c.theta0_deg);
    ASSERT_TRUE(cells.has_value());
    double total = 0.0;
    for (double p : *cells) total += p;
    EXPECT_NEAR(total, 1.0, 1e-12);
    const DirectionStatistics s = CellStatistics(*cells, kDirectionCellFirst, kDirectionCellWidth);
    const ReferenceDirections r = SpreadReference(f, c.Smax, c.T, c.theta0_deg);
    // The stage works on one-degree nodes; the reference on a fine grid.
    EXPECT_NEAR(s.mean_deg, r.mean_deg, 0.05) << c.Smax;
    EXPECT_NEAR(s.spread_deg, r.spread_deg, 0.05) << c.Smax;
    for (std::size_t w = 0; w < 3; ++w) EXPECT_NEAR(s.shares[w], r.shares[w], 2e-3) << c.Smax << " window " << w;
  }
}

TEST(CheckTargets, DirectionsDrawnFromTheLawAgreeWithTheExpectedWithinSamplingError) {
  // 1024 components drawn in the test from the reference law, written as a
  // JNS file: the checker's measured statistics must lie within four
  // standard errors of its expected ones.
  const std::size_t N = 1024;
  const double Smax = 10.0, T = 10.0, theta0 = 10.0;
  std::vector<double> f;
  for (std::size_t i = 0; i < N; ++i) f.push_back(0.06 + 0.0003 * static_cast<double>(i));
  std::mt19937 generator(20240);
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::vector<testing::Component> components;
  for (double fi : f) {
    const ReferenceDirections one = SpreadReference({fi}, Smax, T, theta0, 1800);
    const double u = uniform(generator);
    double sum = 0.0;
    std::size_t k = 0;
    while (k + 1 < one.pdf.size() && sum + one.pdf[k] < u) sum += one.pdf[k++];
    components.push_back({fi, 0.03, one.grid_deg[k] * kDeg, 2.0 * kPi * uniform(generator)});
  }
  const std::string text =
      testing::SinglePointFile(components, testing::JnsTrailer(1.0, T, theta0 * kDeg, 3.3, 4711, Smax));
  const CheckResult result = Analyse(ReadComponentFile(textio::TextFile::FromString("wave.dat", text)), std::nullopt);
  ASSERT_EQ(result.spreading, Spreading::kSpread);
  const PointCheck& check = result.points[0];
  ASSERT_TRUE(check.target_directions.has_value());
  ExpectWithinSamplingError(check.measured.directions, *check.target_directions, N);
  EXPECT_GT(check.measured.phases.p_value, 1e-3);
}

TEST(CheckTargets, UnspreadFileExpectsEveryDirectionAtZero) {
  std::vector<testing::Component> components;
  for (int i = 0; i < 8; ++i) components.push_back({0.08 + 0.01 * i, 0.05, 0.0, 0.5 * i});
  const std::string text = testing::SinglePointFile(components, testing::JnsTrailer(1.0, 10.0, 0.0, 3.3, 4711, 999.0));
  const CheckResult result = Analyse(ReadComponentFile(textio::TextFile::FromString("wave.dat", text)), std::nullopt);
  EXPECT_EQ(result.spreading, Spreading::kNotSpread);
  const DirectionStatistics& expected = *result.points[0].target_directions;
  EXPECT_EQ(expected.mean_deg, 0.0);
  EXPECT_EQ(expected.spread_deg, 0.0);
  EXPECT_EQ(expected.shares[0], 1.0);
  EXPECT_EQ(result.points[0].measured.directions.spread_deg, 0.0);
}

TEST(CheckTargets, RealJonswapRunMatchesItsTargets) {
  testing::ScratchDir dir;
  testing::ControlValues values;
  values.count = "1024";
  values.smax = "10.0";
  values.direction = "20.0";
  dir.Write("cont.txt", testing::ControlFileText(values));
  const testing::RunResult run = testing::RunWavecomp(dir);
  ASSERT_EQ(run.exit_status, 0) << run.out << run.err;
  const std::optional<textio::TextFile> file = textio::TextFile::Open(dir.PathOf("wave.dat"));
  ASSERT_TRUE(file.has_value());
  const CheckResult result = Analyse(ReadComponentFile(*file), std::nullopt);
  const ComponentFile& components = result.file;
  ASSERT_EQ(components.points[0].size(), 1024u);
  const PointCheck& check = result.points[0];

  // Every JNS component has the same amplitude a, so m0 = N a^2 / 2.
  const double a = components.points[0].a[0];
  const double Hm0 = 4.0 * std::sqrt(1024.0 * a * a / 2.0);
  EXPECT_NEAR(check.measured.Hm0, Hm0, 1e-9 * Hm0);
  // The components carry the JONSWAP energy between the first and last band
  // edges; amplitudes have six digits and the division's slope is floored
  // above the peak, which together stay well below 2e-4.
  ASSERT_TRUE(check.target_energy.has_value());
  EXPECT_NEAR(check.measured.Hm0, check.target_energy->Hm0, 2e-4 * check.target_energy->Hm0);
  const double Tp = 10.0 / (1.0 - 0.132 * std::pow(3.3 + 0.2, -0.559));
  EXPECT_NEAR(1.0 / *check.measured.peak_frequency, Tp, 0.005 * Tp);
  ASSERT_TRUE(check.target_directions.has_value());
  ExpectWithinSamplingError(check.measured.directions, *check.target_directions, 1024);
  // The expected law itself, against the reference at the file's frequencies.
  const std::span<const double> f = components.points[0].f;
  const ReferenceDirections r = SpreadReference({f.begin(), f.end()}, 10.0, 10.0, 20.0);
  EXPECT_NEAR(check.target_directions->mean_deg, r.mean_deg, 0.05);
  EXPECT_NEAR(check.target_directions->spread_deg, r.spread_deg, 0.05);
  EXPECT_GT(check.measured.phases.p_value, 1e-3);
  EXPECT_EQ(check.measured.phases.outside, 0u);
}

}  // namespace
}  // namespace wavecomp::check
