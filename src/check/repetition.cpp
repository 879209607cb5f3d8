#include "check/repetition.h"

#include <algorithm>
#include <cmath>
#include <complex>

#include "check/real_fft.h"

namespace wavecomp::check {

std::vector<double> Autocorrelation(std::span<const double> eta) {
  const std::size_t n = eta.size();
  std::vector<double> r(n, 0.0);
  if (n == 0) return r;
  const std::size_t size = FastFftSizeAtLeast(2 * n);
  RealFft fft(size);
  std::vector<double> padded(size, 0.0);
  std::copy(eta.begin(), eta.end(), padded.begin());
  std::vector<std::complex<double>> X(size / 2 + 1);
  fft.Forward(padded, X);
  for (std::complex<double>& bin : X) bin = std::norm(bin);
  fft.Inverse(X, padded);
  if (!(padded[0] > 0.0)) return r;
  for (std::size_t k = 0; k < n; ++k) r[k] = padded[k] / padded[0];
  return r;
}

Repetition LargestAutocorrelation(std::span<const double> eta, double dt, double first_lag_s) {
  Repetition result;
  const double first = std::ceil(first_lag_s / dt);
  if (!(first >= 0.0) || !(first < static_cast<double>(eta.size()))) return result;
  const std::vector<double> r = Autocorrelation(eta);
  std::size_t best = static_cast<std::size_t>(first);
  for (std::size_t k = best + 1; k < r.size(); ++k) {
    if (r[k] > r[best]) best = k;
  }
  result.defined = true;
  result.max_autocorrelation = r[best];
  result.lag_s = static_cast<double>(best) * dt;
  return result;
}

}  // namespace wavecomp::check
