#include "check/kernels/repetition.h"

#include <algorithm>
#include <cmath>

#include "check/kernels/real_fft.h"

namespace wavecomp::check {
namespace {

// The power of two that brings a record into the range where its sums stay
// normal floats: |X| <= size max|eta| and the inverse adds size of |X|^2, so
// size max|eta| must stay well below 2^51 (and well above 2^-40 for the
// squares not to fade). Any sea lies far inside (1 at sizes up to 2^26 for
// |eta| up to 60 km), so its sums are untouched; r(k) does not depend on the
// scale, which is exact.
double ScaleFor(std::span<const double> eta, std::size_t size) {
  double largest = 0.0;
  for (double value : eta) largest = std::max(largest, std::abs(value));
  if (!(largest > 0.0)) return 1.0;
  const int exponent = std::ilogb(largest * static_cast<double>(size));
  return exponent >= 48 || exponent < -40 ? std::ldexp(1.0, 40 - exponent) : 1.0;
}

// The sums of lags 0..size-1 of eta zero-padded to at least twice its
// length, so that no lag wraps around; `release` as for AutocorrelationSums.
std::vector<float> LagSums(std::span<const double> eta, std::vector<double>* release) {
  const std::size_t size = FastFftSizeAtLeast(2 * eta.size());
  return AutocorrelationSums(eta, ScaleFor(eta, size), size, release);
}

Repetition Largest(std::span<const double> eta, double dt, double first_lag_s, std::vector<double>* release) {
  Repetition result;
  const std::size_t n = eta.size();
  const double first = std::ceil(first_lag_s / dt);
  if (!(first >= 0.0) || !(first < static_cast<double>(n))) return result;
  const std::vector<float> sums = LagSums(eta, release);
  const double zero = static_cast<double>(sums[0]);
  // r(k) = sums(k) / sums(0), the biased estimate; all zero for a silent record.
  const auto r = [&](std::size_t k) { return zero > 0.0 ? static_cast<double>(sums[k]) / zero : 0.0; };
  std::size_t best = static_cast<std::size_t>(first);
  double best_r = r(best);
  for (std::size_t k = best + 1; k < n; ++k) {
    const double value = r(k);
    if (value > best_r) {
      best = k;
      best_r = value;
    }
  }
  result.defined = true;
  result.max_autocorrelation = best_r;
  result.lag_s = static_cast<double>(best) * dt;
  return result;
}

}  // namespace

std::vector<double> Autocorrelation(std::span<const double> eta) {
  const std::size_t n = eta.size();
  std::vector<double> r(n, 0.0);
  if (n == 0) return r;
  const std::vector<float> sums = LagSums(eta, nullptr);
  const double zero = static_cast<double>(sums[0]);
  if (!(zero > 0.0)) return r;
  for (std::size_t k = 0; k < n; ++k) r[k] = static_cast<double>(sums[k]) / zero;
  return r;
}

Repetition LargestAutocorrelation(std::span<const double> eta, double dt, double first_lag_s) {
  return Largest(eta, dt, first_lag_s, nullptr);
}

Repetition LargestAutocorrelation(std::vector<double>&& eta, double dt, double first_lag_s) {
  return Largest(eta, dt, first_lag_s, &eta);
}

}  // namespace wavecomp::check
