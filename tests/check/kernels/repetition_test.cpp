#include "check/kernels/repetition.h"

#include <gtest/gtest.h>

#include <complex>
#include <random>
#include <vector>

#include "check/kernels/real_fft.h"

namespace wavecomp::check {
namespace {

// A random block of 500 samples repeated: the zero-padded transform agrees
// with the plain biased sum at every lag (a lag that wrapped around the end
// would not), and the repeat shows at 500 samples (1000 when the search
// starts past 500) with the share of the energy that overlaps itself there.
TEST(Repetition, FindsTheRepeatPeriod) {
  std::mt19937_64 random(5);
  std::normal_distribution<double> normal(0.0, 1.0);
  std::vector<double> block(500), eta;
  for (double& value : block) value = normal(random);
  for (std::size_t k = 0; k < 1600; ++k) eta.push_back(block[k % block.size()]);
  std::vector<double> energy_before(eta.size() + 1, 0.0);  // sum of eta^2 over t < k
  for (std::size_t t = 0; t < eta.size(); ++t) energy_before[t + 1] = energy_before[t] + eta[t] * eta[t];
  const double all = energy_before.back();

  const std::vector<double> r = Autocorrelation(eta);
  ASSERT_EQ(r.size(), eta.size());
  for (std::size_t k = 0; k < eta.size(); ++k) {
    double sum = 0.0;
    for (std::size_t t = 0; t + k < eta.size(); ++t) sum += eta[t] * eta[t + k];
    ASSERT_NEAR(r[k], sum / all, 2.0e-6) << k;
  }

  const double dt = 0.2;
  struct Case {
    double first_lag_s;
    bool defined;
    std::size_t lag;  // samples
  };
  for (const Case& c : {Case{2.0, true, 500}, Case{120.0, true, 1000}, Case{320.0, false, 0}}) {
    const Repetition repetition = LargestAutocorrelation(eta, dt, c.first_lag_s);
    ASSERT_EQ(repetition.defined, c.defined) << c.first_lag_s;
    if (!c.defined) continue;
    EXPECT_NEAR(repetition.lag_s, static_cast<double>(c.lag) * dt, 1.0e-9) << c.first_lag_s;
    EXPECT_NEAR(repetition.max_autocorrelation, energy_before[eta.size() - c.lag] / all, 2.0e-6) << c.first_lag_s;
  }
}

// The sums made in the transform's own buffers with one plan at a time are
// those of the plain road (double copies, both plans, RealFft) to the last
// bit, so a check keeps its every figure; and a record scaled by 2^80 or
// 2^-90 (whose plain sums would overflow or fade in single precision) gives
// the same correlations.
TEST(Repetition, SumsInPlaceAreThoseOfThePlainTransform) {
  std::mt19937_64 random(7);
  std::normal_distribution<double> normal(0.0, 1.0);
  for (const std::size_t n : {1u, 7u, 500u, 3001u}) {
    SCOPED_TRACE(n);
    std::vector<double> eta(n);
    for (double& value : eta) value = normal(random);
    const std::size_t size = FastFftSizeAtLeast(2 * n);
    RealFft fft(size);
    std::vector<double> padded(size, 0.0);
    std::copy(eta.begin(), eta.end(), padded.begin());
    std::vector<std::complex<double>> X(size / 2 + 1);
    fft.Forward(padded, X);
    for (std::complex<double>& bin : X) bin = std::norm(bin);
    fft.Inverse(X, padded);

    std::vector<double> owned = eta;
    const std::vector<float> sums = AutocorrelationSums(owned, 1.0, size, &owned);
    EXPECT_TRUE(owned.empty()) << "the record is freed before the transform";
    ASSERT_EQ(sums.size(), size);
    for (std::size_t k = 0; k < size; ++k) ASSERT_EQ(static_cast<double>(sums[k]), padded[k]) << k;

    const std::vector<double> r = Autocorrelation(eta);
    for (const double scale : {std::ldexp(1.0, 80), std::ldexp(1.0, -90)}) {
      std::vector<double> scaled = eta;
      for (double& value : scaled) value *= scale;
      EXPECT_EQ(Autocorrelation(scaled), r) << scale;
    }
  }
}

}  // namespace
}  // namespace wavecomp::check
