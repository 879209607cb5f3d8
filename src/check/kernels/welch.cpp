#include "check/kernels/welch.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <stdexcept>

#include "check/kernels/real_fft.h"

namespace wavecomp::check {

std::size_t WelchSegmentLength(std::span<const double> f, double dt, std::size_t samples) {
  const std::size_t longest = FastFftSizeAtMost(samples);
  std::vector<double> sorted(f.begin(), f.end());
  std::sort(sorted.begin(), sorted.end());
  std::vector<double> spacings;
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    if (sorted[i] > sorted[i - 1]) spacings.push_back(sorted[i] - sorted[i - 1]);
  }
  if (spacings.empty() || !(dt > 0.0)) return longest;
  const auto middle = spacings.begin() + static_cast<std::ptrdiff_t>(spacings.size() / 2);
  std::nth_element(spacings.begin(), middle, spacings.end());
  const double needed = std::ceil(kWelchBinsPerSpacing / (*middle * dt));
  if (!(needed < static_cast<double>(samples))) return longest;
  return std::min(FastFftSizeAtLeast(static_cast<std::size_t>(needed)), longest);
}

WelchSpectrum WelchEstimate(std::span<const double> eta, double dt, std::size_t segment_length) {
  if (!IsFastFftSize(segment_length) || segment_length > eta.size())
    throw std::invalid_argument("Welch: the segment length must be a fast FFT size within the record");
  if (!(dt > 0.0)) throw std::invalid_argument("Welch: time step must be positive");
  const std::size_t L = segment_length;
  const std::size_t step = L / 2;
  WelchSpectrum result;
  result.segment_length = L;
  result.segments = (eta.size() - L) / step + 1;
  result.df = 1.0 / (static_cast<double>(L) * dt);

  std::vector<double> window(L);
  double U = 0.0;
  for (std::size_t t = 0; t < L; ++t) {
    window[t] = 0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * static_cast<double>(t) / static_cast<double>(L)));
    U += window[t] * window[t];
  }

  RealFft fft(L);
  std::vector<double> segment(L);
  std::vector<std::complex<double>> X(L / 2 + 1);
  std::vector<double> power(L / 2 + 1, 0.0);
  for (std::size_t s = 0; s < result.segments; ++s) {
    const std::size_t begin = s * step;
    for (std::size_t t = 0; t < L; ++t) segment[t] = window[t] * eta[begin + t];
    fft.Forward(segment, X);
    for (std::size_t k = 0; k < X.size(); ++k) power[k] += std::norm(X[k]);
  }

  const double scale = dt / (U * static_cast<double>(result.segments));
  result.density.resize(L / 2 + 1);
  for (std::size_t k = 0; k <= L / 2; ++k) {
    const double sides = (k == 0 || k == L / 2) ? 1.0 : 2.0;
    result.density[k] = {static_cast<double>(k) * result.df, sides * power[k] * scale};
    result.m0 += result.density[k].S * result.df;
  }
  result.peak_frequency = PeakFrequency(result.density);
  return result;
}

}  // namespace wavecomp::check
