#include "check/kernels/sea_surface.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace wavecomp::check {
namespace {

// Pieces of different lengths starting anywhere, against direct summation at
// random samples of each piece: within 1e-9 of Hm0, which a wrong turning
// factor, a missed re-anchoring or a padding lane that leaks all exceed.
TEST(SurfaceSynthesis, MatchesDirectSummationInAnyPiece) {
  struct Case {
    std::size_t components;
    double f_low, f_high;  // Hz
    std::size_t first;     // first sample of the piece
    std::size_t length;    // samples
  };
  const Case cases[] = {
      {1, 0.1, 0.1, 0, 100},            // one component: seven silent lanes
      {7, 0.05, 0.5, 3, 5000},          // not a whole group; crosses one re-anchoring
      {1024, 0.04, 0.44, 0, 200000},    // the largest file over 50 re-anchorings
      {300, 0.03, 1.0, 2000000, 9000},  // late in a long record (t about 1e5 s)
      {64, 0.08, 0.12, 4095, 2},        // straddles the first re-anchoring
  };
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (const Case& c : cases) {
    std::vector<double> f(c.components), a(c.components), phase(c.components);
    double m0 = 0.0;
    for (std::size_t i = 0; i < c.components; ++i) {
      f[i] = c.f_low + (c.f_high - c.f_low) * unit(random);
      a[i] = 0.01 + 0.1 * unit(random);
      phase[i] = 2.0 * std::numbers::pi * unit(random);
      m0 += 0.5 * a[i] * a[i];
    }
    const double Hm0 = 4.0 * std::sqrt(m0);
    const double dt = 1.0 / (20.0 * c.f_high);
    SurfaceSynthesis synthesis(f, a, phase, dt);
    std::vector<double> eta(c.length);
    synthesis.Fill(c.first, eta);
    std::uniform_int_distribution<std::size_t> pick(0, c.length - 1);
    for (int j = 0; j < 200; ++j) {
      const std::size_t k = j == 0 ? c.length - 1 : pick(random);
      const double t = static_cast<double>(c.first + k) * dt;
      ASSERT_NEAR(eta[k], DirectElevation(f, a, phase, t), 1.0e-9 * Hm0)
          << c.components << " components, sample " << c.first + k;
    }
    // Shared out to threads in stretches (a point checked alone), the record
    // is the one a single thread makes, to the last bit.
    const std::size_t samples = c.first + c.length;
    if (samples > 100000) continue;
    const std::vector<double> one = SynthesiseRecord(f, a, phase, dt, samples);
    for (const int threads : {2, 3}) EXPECT_EQ(SynthesiseRecord(f, a, phase, dt, samples, {}, threads), one);
  }
}

}  // namespace
}  // namespace wavecomp::check
