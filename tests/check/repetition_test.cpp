#include "check/repetition.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

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

}  // namespace
}  // namespace wavecomp::check
