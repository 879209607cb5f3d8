// The maximum entropy distribution of a buoy's first four Fourier
// coefficients, against distributions whose coefficients are known in
// closed form.
#include "synthesis/max_entropy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace wavecomp {
namespace {

constexpr double kPi = std::numbers::pi;

// The complex Fourier coefficient c_n = integral of D e^(i n theta) of a
// distribution per degree on a 1-degree grid.
std::complex<double> Coefficient(const std::vector<double>& D, int n) {
  std::complex<double> c = 0.0;
  for (std::size_t j = 0; j < D.size(); ++j) c += D[j] * std::polar(1.0, n * static_cast<double>(j) * kPi / 180.0);
  return c;
}

// A wrapped Cauchy distribution (c_n = rho^n e^(i n mu)) is of the form the
// method fits, so it comes back exactly; the mixture of two and a cos^2s
// spreading do not, but the estimate keeps their c1 and c2, which is what
// defines it.
TEST(MaxEntropy, KeepsTheCoefficientsAndRecoversAWrappedCauchyExactly) {
  struct System {
    double weight, rho, mu;  // a wrapped Cauchy part: c_n = weight rho^n e^(i n mu)
  };
  const struct {
    const char* name;
    std::vector<System> systems;  // empty: the cos^2s case
    double s = 0.0;
    double mu = 0.0;
  } cases[] = {
      {"wrapped Cauchy, broad", {{1.0, 0.5, 255.0}}},
      {"wrapped Cauchy, across North", {{1.0, 0.8, 10.0}}},
      {"wrapped Cauchy, narrow", {{1.0, 0.95, 180.0}}},
      {"two systems", {{0.6, 0.8, 250.0}, {0.4, 0.7, 120.0}}},
      {"cos^2s, s = 20", {}, 20.0, 255.0},
      {"cos^2s, s = 2", {}, 2.0, 300.0},
  };
  std::vector<double> theta(360);
  for (std::size_t j = 0; j < theta.size(); ++j) theta[j] = static_cast<double>(j);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::complex<double> c1 = 0.0, c2 = 0.0;
    for (const System& part : c.systems) {
      c1 += part.weight * std::polar(part.rho, part.mu * kPi / 180.0);
      c2 += part.weight * std::polar(part.rho * part.rho, 2.0 * part.mu * kPi / 180.0);
    }
    if (c.systems.empty()) {
      // cos^2s((theta - mu) / 2): r1 = s / (s + 1), r2 = s (s - 1) / ((s + 1)(s + 2)).
      c1 = std::polar(c.s / (c.s + 1.0), c.mu * kPi / 180.0);
      c2 = std::polar(c.s * (c.s - 1.0) / ((c.s + 1.0) * (c.s + 2.0)), 2.0 * c.mu * kPi / 180.0);
    }
    const double r1 = std::abs(c1), alpha1 = std::arg(c1) * 180.0 / kPi;
    const double r2 = std::abs(c2), alpha2 = std::arg(c2) * 90.0 / kPi;
    std::vector<double> D(theta.size());
    ASSERT_TRUE(MaxEntropyDistribution(r1, alpha1, r2, alpha2, theta, 1.0, D));
    EXPECT_NEAR(std::abs(Coefficient(D, 1) - c1), 0.0, 1e-6);
    EXPECT_NEAR(std::abs(Coefficient(D, 2) - c2), 0.0, 1e-6);
    if (c.systems.size() == 1) {
      const System& part = c.systems.front();
      for (std::size_t j = 0; j < theta.size(); ++j) {
        const double exact =
            (1.0 - part.rho * part.rho) /
            (2.0 * kPi * (1.0 + part.rho * part.rho - 2.0 * part.rho * std::cos((theta[j] - part.mu) * kPi / 180.0))) *
            kPi / 180.0;
        // The grid sum of the exact density is 1 + 2 rho^360 cos(360 mu): the
        // normalisation on the grid differs by 2e-8 for rho = 0.95.
        ASSERT_NEAR(D[j] / exact, 1.0, 1e-7) << "at " << theta[j] << " deg";
      }
    }
  }
}

TEST(MaxEntropy, RefusesCoefficientsOfNoDistribution) {
  const std::vector<double> theta = {0.0, 90.0, 180.0, 270.0};
  std::vector<double> D(theta.size(), -1.0);
  EXPECT_FALSE(MaxEntropyDistribution(1.2, 0.0, 0.5, 0.0, theta, 90.0, D));
  EXPECT_FALSE(MaxEntropyDistribution(0.5, std::nan(""), 0.5, 0.0, theta, 90.0, D));
  EXPECT_FALSE(MaxEntropyDistribution(0.5, 0.0, -0.1, 0.0, theta, 90.0, D));
  EXPECT_EQ(D[0], -1.0);  // untouched
}

}  // namespace
}  // namespace wavecomp
