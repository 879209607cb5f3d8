#include "check/kernels/zero_crossing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace wavecomp::check {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// a cos(2 pi f t + phi): every wave is 2a high and 1/f long, and the
// up-crossings stand at t = (m - 1/4 - phi / 2 pi) / f. The tolerances are
// what the parabola through the crest (error ~ (2 pi / samples per period)^4
// / 60) and the straight line through the crossing leave.
TEST(ZeroUpCrossing, OneSinusoidGivesItsHeightAndPeriod) {
  struct Case {
    double a, f, phi;
    double samples_per_period;
    double duration;
    double tolerance;  // relative, on H and T
  };
  const Case cases[] = {
      {0.7, 0.087, 1.234, 20.37, 3000.0, 3.0e-4},  // the default step, not a divisor of the period
      {2.5, 0.31, -2.9, 13.1, 500.0, 1.0e-3},
      {0.01, 0.05, 0.0, 64.0, 4000.0, 1.0e-6},  // starts on a crest
  };
  for (const Case& c : cases) {
    const double dt = 1.0 / (c.f * c.samples_per_period);
    const std::size_t n = static_cast<std::size_t>(c.duration / dt);
    std::vector<double> eta(n);
    for (std::size_t k = 0; k < n; ++k) eta[k] = c.a * std::cos(kTwoPi * c.f * static_cast<double>(k) * dt + c.phi);
    const double offset = 0.25 + c.phi / kTwoPi;
    const double first = std::floor(offset) + 1.0;                                   // first m with t > 0
    const double last = std::floor(static_cast<double>(n - 1) * dt * c.f + offset);  // last with t <= (n-1) dt
    const std::vector<Wave> waves = ZeroUpCrossingWaves(eta, dt);
    ASSERT_EQ(static_cast<double>(waves.size()), last - first) << c.f;
    EXPECT_NEAR(waves.front().start_s, (first - offset) / c.f, c.tolerance / c.f);
    for (const Wave& wave : waves) {
      EXPECT_NEAR(wave.height_m, 2.0 * c.a, c.tolerance * 2.0 * c.a) << wave.start_s;
      EXPECT_NEAR(wave.period_s, 1.0 / c.f, c.tolerance / c.f) << wave.start_s;
    }
  }
}

// a1 cos(2 pi f1 t) + a2 cos(2 pi f2 t + beta), a2 < a1: one wave per cycle
// of the first (the second only winds the phase back and forth), each as high
// as twice the envelope |a1 + a2 exp(j (2 pi (f2 - f1) t + beta))| at its
// middle, to within the envelope's change over a wave.
TEST(ZeroUpCrossing, TwoSinusoidsFollowTheirBeat) {
  const double a1 = 1.0, a2 = 0.3, f1 = 0.1, f2 = 0.11, beta = 0.4, dt = 0.5;
  const std::size_t n = 4001;  // 20 beat periods
  std::vector<double> eta(n);
  for (std::size_t k = 0; k < n; ++k) {
    const double t = static_cast<double>(k) * dt;
    eta[k] = a1 * std::cos(kTwoPi * f1 * t) + a2 * std::cos(kTwoPi * f2 * t + beta);
  }
  const auto envelope = [&](double t) {
    return std::abs(a1 + a2 * std::exp(std::complex<double>(0.0, kTwoPi * (f2 - f1) * t + beta)));
  };
  const std::vector<Wave> waves = ZeroUpCrossingWaves(eta, dt);
  const double span = waves.back().start_s + waves.back().period_s - waves.front().start_s;
  // The phase of the sum strays at most asin(a2/a1) from that of the first.
  EXPECT_LE(std::abs(static_cast<double>(waves.size()) - span * f1), 2.0 * std::asin(a2 / a1) / kTwoPi);
  for (const Wave& wave : waves) {
    EXPECT_NEAR(wave.height_m, 2.0 * envelope(wave.start_s + 0.5 * wave.period_s), 0.015) << wave.start_s;
  }
  double mean_envelope = 0.0;
  const int steps = 100000;
  for (int j = 0; j < steps; ++j) mean_envelope += envelope((j + 0.5) / steps / (f2 - f1)) / steps;
  const WaveStatistics s = ComputeWaveStatistics(waves);
  EXPECT_NEAR(s.Hmax_m, 2.0 * (a1 + a2), 0.01);
  EXPECT_NEAR(s.Hmean_m, 2.0 * mean_envelope, 0.01);
  EXPECT_NEAR(s.Tmean_s, span / static_cast<double>(waves.size()), 1.0e-9);
}

TEST(ZeroUpCrossing, StatisticsTakeTheHighestThirdAndTenth) {
  struct Case {
    std::vector<double> heights;  // periods are 10 + height
    WaveStatistics expected;
  };
  const Case cases[] = {
      {{}, {}},
      {{3.0}, {1, 3.0, 13.0, 3.0, 3.0, 3.0, 13.0}},
      // Two waves: a third of them rounds down to none, so the highest one.
      {{1.0, 2.0}, {2, 2.0, 12.0, 2.0, 2.0, 1.5, 11.5}},
      // 1..10 in mixed order: the highest 3 (10, 9, 8) and the highest 1.
      {{4, 9, 1, 10, 2, 8, 3, 7, 6, 5}, {10, 9.0, 19.0, 10.0, 10.0, 5.5, 15.5}},
      // 11 waves: floor(11/3) = 3 and floor(11/10) = 1.
      {{1, 1, 1, 1, 1, 1, 1, 1, 4, 5, 6}, {11, 5.0, 15.0, 6.0, 6.0, 23.0 / 11.0, 10.0 + 23.0 / 11.0}},
  };
  for (const Case& c : cases) {
    std::vector<Wave> waves;
    for (double h : c.heights) waves.push_back({0.0, 10.0 + h, h});
    const WaveStatistics s = ComputeWaveStatistics(waves);
    EXPECT_EQ(s.waves, c.expected.waves);
    EXPECT_DOUBLE_EQ(s.H13_m, c.expected.H13_m) << c.heights.size();
    EXPECT_DOUBLE_EQ(s.T13_s, c.expected.T13_s) << c.heights.size();
    EXPECT_DOUBLE_EQ(s.H110_m, c.expected.H110_m) << c.heights.size();
    EXPECT_DOUBLE_EQ(s.Hmax_m, c.expected.Hmax_m) << c.heights.size();
    EXPECT_DOUBLE_EQ(s.Hmean_m, c.expected.Hmean_m) << c.heights.size();
    EXPECT_DOUBLE_EQ(s.Tmean_s, c.expected.Tmean_s) << c.heights.size();
  }
}

}  // namespace
}  // namespace wavecomp::check
