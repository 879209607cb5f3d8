#include "check/kernels/rayleigh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace wavecomp::check {
namespace {

// The expected highest of n Rayleigh heights over Hrms, by inclusion and
// exclusion: (sqrt(pi) / 2) sum over k = 1..n of (-1)^(k+1) C(n, k) / sqrt(k);
// for large n the asymptote sqrt(ln n) + Euler's gamma / (2 sqrt(ln n)),
// whose next term is below 0.3 % at n = 1e6.
TEST(Rayleigh, ExpectedHighestWave) {
  for (int n = 1; n <= 8; ++n) {
    double sum = 0.0, binomial = 1.0;
    for (int k = 1; k <= n; ++k) {
      binomial = binomial * (n - k + 1) / k;
      sum += (k % 2 == 1 ? 1.0 : -1.0) * binomial / std::sqrt(static_cast<double>(k));
    }
    EXPECT_NEAR(RayleighExpectedHmaxOverHrms(static_cast<std::size_t>(n)), 0.5 * std::sqrt(std::numbers::pi) * sum,
                1.0e-9)
        << n;
  }
  const double root = std::sqrt(std::log(1.0e6));
  EXPECT_NEAR(RayleighExpectedHmaxOverHrms(1000000), root + std::numbers::egamma / (2.0 * root), 3.0e-3 * root);
  EXPECT_EQ(RayleighExpectedHmaxOverHrms(0), 0.0);
}

// H1/3 = 4.004 sqrt(m0) in a narrow-band sea (Longuet-Higgins 1952), and a
// third of the waves exceed the threshold sqrt(ln 3) Hrms.
TEST(Rayleigh, HighestThirdAndExceedance) {
  EXPECT_NEAR(RayleighH13OverHm0(), 4.004 / 4.0, 0.0005 / 4.0);
  const double Hm0 = 2.0;
  EXPECT_NEAR(RayleighExceedance(std::sqrt(std::log(3.0)) * Hm0 / std::numbers::sqrt2, Hm0), 1.0 / 3.0, 1.0e-15);
}

}  // namespace
}  // namespace wavecomp::check
