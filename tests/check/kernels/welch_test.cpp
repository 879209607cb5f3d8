#include "check/kernels/welch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace wavecomp::check {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// a cos(2 pi f0 t + 0.3): the record's mean square in all (a^2/2, or
// a^2 cos^2 0.3 at 0 Hz and at the Nyquist frequency), nearly all of it
// within the Hann window's main lobe (two bins either side), the highest bin
// the nearest one, and the parabola through the top bins within 0.15 bins of
// f0 (its bias on the Hann lobe is about 0.11 bins at the worst offset).
TEST(Welch, SingleSinusoidFallsInItsBin) {
  const double dt = 0.1, a = 0.8;
  const std::size_t n = 20000, L = 1000;
  const double df = 1.0 / (static_cast<double>(L) * dt);
  for (double bins : {0.0, 50.0, 50.25, 123.7, 401.5, 500.0}) {
    const double f0 = bins * df;
    std::vector<double> eta(n);
    double mean_square = 0.0;
    for (std::size_t k = 0; k < n; ++k) {
      eta[k] = a * std::cos(kTwoPi * f0 * static_cast<double>(k) * dt + 0.3);
      mean_square += eta[k] * eta[k] / static_cast<double>(n);
    }
    const WelchSpectrum w = WelchEstimate(eta, dt, L);
    EXPECT_EQ(w.segments, 39u);
    ASSERT_EQ(w.density.size(), L / 2 + 1);
    EXPECT_NEAR(w.m0, mean_square, 1.0e-4 * mean_square) << bins;
    std::size_t top = 0;
    double lobe = 0.0;
    for (std::size_t k = 0; k < w.density.size(); ++k) {
      if (w.density[k].S > w.density[top].S) top = k;
      if (std::abs(static_cast<double>(k) - bins) <= 2.5) lobe += w.density[k].S * df;
    }
    EXPECT_LE(std::abs(static_cast<double>(top) - bins), 0.5) << bins;
    EXPECT_GT(lobe, 0.9995 * mean_square) << bins;
    ASSERT_TRUE(w.peak_frequency.has_value());
    EXPECT_NEAR(*w.peak_frequency, f0, 0.15 * df) << bins;
  }
}

TEST(Welch, SegmentsResolveTheMedianSpacing) {
  struct Case {
    std::vector<double> f;
    double dt;
    std::size_t samples;
    std::size_t expected;
  };
  const Case cases[] = {
      // Spacings 0.01, 0.015, 0.075: 2 / (0.015 * 0.1) = 1334 samples, the
      // next size without prime factors above 5 is 1350 = 2 3^3 5^2.
      {{0.2, 0.1, 0.125, 0.11}, 0.1, 100000, 1350},
      {{0.1, 0.11, 0.125, 0.2}, 0.1, 1000, 1000},  // the record is shorter: all of it
      {{0.1, 0.1, 0.1}, 0.1, 1009, 1000},          // no spacing: the longest size within the record
      {{0.1, 0.2}, 0.05, 7, 6},
  };
  for (const Case& c : cases) EXPECT_EQ(WelchSegmentLength(c.f, c.dt, c.samples), c.expected) << c.samples;
}

}  // namespace
}  // namespace wavecomp::check
