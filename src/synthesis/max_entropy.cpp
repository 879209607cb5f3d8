#include "synthesis/max_entropy.h"

#include <cmath>
#include <complex>

#include "synthesis/numerics.h"

namespace wavecomp {

bool MaxEntropyDistribution(double r1, double alpha1, double r2, double alpha2, std::span<const double> theta,
                            double step, std::span<double> D) {
  if (!std::isfinite(r1) || !std::isfinite(r2) || !std::isfinite(alpha1) || !std::isfinite(alpha2)) return false;
  if (r1 < 0.0 || r1 > 1.0 || r2 < 0.0 || r2 > 1.0) return false;
  using Complex = std::complex<double>;
  const Complex c1 = std::polar(std::min(r1, kLargestResultant), alpha1 * kDegree);
  const Complex c2 = std::polar(r2, 2.0 * alpha2 * kDegree);
  const Complex phi1 = (c1 - c2 * std::conj(c1)) / (1.0 - std::norm(c1));
  const Complex phi2 = c2 - c1 * phi1;
  const double numerator = std::real(1.0 - phi1 * std::conj(c1) - phi2 * std::conj(c2));
  double sum = 0.0;
  for (std::size_t j = 0; j < theta.size(); ++j) {
    const Complex z = std::polar(1.0, -theta[j] * kDegree);
    const double denominator = std::norm(1.0 - phi1 * z - phi2 * z * z);
    D[j] = denominator > 0.0 ? std::max(0.0, numerator) / denominator : 0.0;
    sum += D[j];
  }
  if (!(sum > 0.0) || !std::isfinite(sum)) return false;
  for (std::size_t j = 0; j < theta.size(); ++j) D[j] /= sum * step;
  return true;
}

}  // namespace wavecomp
