#include "check/kernels/statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace wavecomp::check {
namespace {

constexpr double kPi = std::numbers::pi;

// Plain reference: the Kolmogorov distribution's upper tail by its
// alternating series, summed far past convergence.
double KolmogorovTail(double lambda) {
  double sum = 0.0;
  for (int k = 1; k <= 200; ++k) sum += (k % 2 == 1 ? 2.0 : -2.0) * std::exp(-2.0 * k * k * lambda * lambda);
  return sum;
}

TEST(CheckStatistics, Hm0OfEqualEnergyComponentsIsFourRootOfTheirTotalEnergy) {
  // 1024 components of one amplitude: m0 = N a^2 / 2 exactly, whatever the
  // order of summation does to the last bits.
  const std::size_t N = 1024;
  const double a = 0.0362174;  // about sqrt(2 m0 / N) for Hm0 = 1.04 m
  std::vector<double> f(N), amplitudes(N, a), theta(N, 0.0), phase(N, 1.0);
  for (std::size_t i = 0; i < N; ++i) f[i] = 0.05 + 0.001 * static_cast<double>(i);
  const PointStatistics s = ComputeStatistics(f, amplitudes, theta, phase);
  const double expected = 4.0 * std::sqrt(static_cast<double>(N) * a * a / 2.0);
  EXPECT_NEAR(s.Hm0, expected, 1e-9 * expected);
  EXPECT_NEAR(s.m0, static_cast<double>(N) * a * a / 2.0, 1e-9 * s.m0);
  EXPECT_EQ(s.count, N);
  EXPECT_DOUBLE_EQ(s.f_low, 0.05);
  EXPECT_DOUBLE_EQ(s.f_high, 0.05 + 0.001 * 1023);
  EXPECT_TRUE(s.ascending);
}

TEST(CheckStatistics, DensityBetweenComponentsIsHalfTheirEnergiesOverTheSpacing) {
  // Hand values: e = a^2/2 = {0.5, 2, 0.5}; between 1 and 2 Hz (0.5 + 2)/2 / 1,
  // between 2 and 2.5 Hz (2 + 0.5)/2 / 0.5.
  const std::vector<double> f = {1.0, 2.0, 2.5, 2.5};
  const std::vector<double> a = {1.0, 2.0, 1.0, 1.0};
  const std::vector<DensitySample> density = ComponentDensity(f, a);
  ASSERT_EQ(density.size(), 2u);  // the repeated frequency has no density
  EXPECT_DOUBLE_EQ(density[0].f, 1.5);
  EXPECT_DOUBLE_EQ(density[0].S, 1.25);
  EXPECT_DOUBLE_EQ(density[1].f, 2.25);
  EXPECT_DOUBLE_EQ(density[1].S, 2.5);
}

TEST(CheckStatistics, PeakFrequencyFindsTheVertexOfAParabolaOnUnevenSamples) {
  struct Case {
    std::vector<double> x;
    double vertex;
  };
  const std::vector<Case> cases = {
      {{0.05, 0.08, 0.09, 0.1, 0.13}, 0.0937},  // vertex between samples, unequal spacing
      {{0.05, 0.07, 0.0937, 0.12}, 0.0937},     // vertex on a sample
      {{0.10, 0.11, 0.12}, 0.10},               // highest at the first sample: no refinement
  };
  for (const Case& c : cases) {
    std::vector<DensitySample> samples;
    for (double x : c.x) samples.push_back({x, 5.0 - 300.0 * (x - c.vertex) * (x - c.vertex)});
    EXPECT_NEAR(*PeakFrequency(samples), c.vertex, 1e-12);
  }
  EXPECT_FALSE(PeakFrequency({}).has_value());
}

TEST(CheckStatistics, CircularStatisticsOfSimpleDirectionSets) {
  const double t = 20.0 * kPi / 180.0;
  struct Case {
    const char* name;
    std::vector<double> theta;
    std::vector<double> weights;
    double mean_deg;
    double spread_deg;
    std::array<double, 3> shares;
  };
  const std::vector<Case> cases = {
      {"all directions 0", {0.0, 0.0, 0.0}, {1.0, 1.0, 1.0}, 0.0, 0.0, {1.0, 1.0, 1.0}},
      // Two equal weights at +-20 degrees: R = cos 20, spread sqrt(2 (1 - cos 20)).
      {"symmetric pair", {-t, t}, {1.0, 1.0}, 0.0, std::sqrt(2.0 * (1.0 - std::cos(t))) * 180.0 / kPi, {0.0, 1.0, 1.0}},
      // Weights 3:1 at 0 and 40 degrees: mean atan2(sin 40, 3 + cos 40) = 9.69
      // degrees, so 0 lies within 10 degrees of it and 40 only within 60.
      {"weighted pair",
       {0.0, 2.0 * t},
       {3.0, 1.0},
       std::atan2(std::sin(2.0 * t), 3.0 + std::cos(2.0 * t)) * 180.0 / kPi,
       std::sqrt(2.0 * (1.0 - std::hypot(3.0 + std::cos(2.0 * t), std::sin(2.0 * t)) / 4.0)) * 180.0 / kPi,
       {0.75, 0.75, 1.0}},
  };
  for (const Case& c : cases) {
    const DirectionStatistics s = CircularStatistics(c.theta, c.weights);
    ASSERT_TRUE(s.defined) << c.name;
    EXPECT_NEAR(s.mean_deg, c.mean_deg, 1e-9) << c.name;
    EXPECT_NEAR(s.spread_deg, c.spread_deg, 1e-6) << c.name;
    for (std::size_t w = 0; w < 3; ++w) EXPECT_DOUBLE_EQ(s.shares[w], c.shares[w]) << c.name << " window " << w;
  }
  EXPECT_FALSE(CircularStatistics({}, {}).defined);
  EXPECT_FALSE(CircularStatistics(std::vector<double>{0.1}, std::vector<double>{0.0}).defined);
}

TEST(CheckStatistics, CellStatisticsOfAUniformDistributionOverPlusMinus90) {
  // Uniform on -90..90: E cos = 2/pi, E sin = 0, so R = 2/pi; the windows
  // hold 20/180, 60/180 and 120/180.
  const std::vector<double> cells(180, 1.0 / 180.0);
  const DirectionStatistics s = CellStatistics(cells, -90.0, 1.0);
  EXPECT_NEAR(s.mean_deg, 0.0, 1e-9);
  EXPECT_NEAR(s.spread_deg, std::sqrt(2.0 * (1.0 - 2.0 / kPi)) * 180.0 / kPi, 1e-9);
  EXPECT_NEAR(s.shares[0], 20.0 / 180.0, 1e-12);
  EXPECT_NEAR(s.shares[1], 60.0 / 180.0, 1e-12);
  EXPECT_NEAR(s.shares[2], 120.0 / 180.0, 1e-12);
}

TEST(CheckStatistics, KolmogorovSmirnovStatisticOfHandSamples) {
  // u = 0.1, 0.4, 0.7: D = max(1/3 - 0.1, 2/3 - 0.4, 1 - 0.7) = 0.3.
  // -0.6 * 2 pi lies outside 0..2 pi and is the same phase as 0.4 * 2 pi.
  const PhaseUniformity p = PhaseTest(std::vector<double>{0.7 * 2 * kPi, 0.1 * 2 * kPi, -0.6 * 2 * kPi});
  ASSERT_TRUE(p.defined);
  EXPECT_NEAR(p.ks_statistic, 0.3, 1e-12);
  EXPECT_EQ(p.outside, 1u);
  // All phases equal: D = 1 - 1/n; far from uniform.
  const PhaseUniformity same = PhaseTest(std::vector<double>(100, 1.0));
  EXPECT_NEAR(same.ks_statistic, 1.0 - 1.0 / (2 * kPi), 1e-12);
  EXPECT_LT(same.p_value, 1e-10);
  // Evenly spread phases (i + 0.5)/n: D = 0.5/n, p close to 1.
  std::vector<double> even(256);
  for (std::size_t i = 0; i < even.size(); ++i) even[i] = (static_cast<double>(i) + 0.5) / 256.0 * 2 * kPi;
  const PhaseUniformity spread = PhaseTest(even);
  EXPECT_NEAR(spread.ks_statistic, 0.5 / 256.0, 1e-12);
  EXPECT_GT(spread.p_value, 0.999);
  EXPECT_FALSE(PhaseTest({}).defined);
}

TEST(CheckStatistics, KolmogorovPValueFollowsTheLimitingDistribution) {
  const std::size_t n = 400;
  const double scale = std::sqrt(400.0) + 0.12 + 0.11 / std::sqrt(400.0);
  for (double lambda : {0.4, 0.6, 0.8, 1.0, 1.1, 1.2, 1.36, 1.63, 2.0, 3.0}) {
    EXPECT_NEAR(KolmogorovPValue(lambda / scale, n), KolmogorovTail(lambda), 2e-6) << lambda;
  }
  // The textbook critical values: 5 % at 1.358, 1 % at 1.628.
  EXPECT_NEAR(KolmogorovPValue(1.358 / scale, n), 0.05, 5e-4);
  EXPECT_NEAR(KolmogorovPValue(1.628 / scale, n), 0.01, 2e-4);
}

}  // namespace
}  // namespace wavecomp::check
