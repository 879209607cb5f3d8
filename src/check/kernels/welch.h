// Welch's estimate of the spectral density of a record.
//
// Glossary: eta(t) samples every dt seconds, L samples per segment, w(t) the
// periodic Hann window 0.5 (1 - cos(2 pi t / L)), U = sum of w(t)^2,
// X(k) the transform of a windowed segment, df = 1 / (L dt) the bin spacing.
//
// Segments of L samples start every L/2 samples (50 % overlap; samples past
// the last whole segment are not used). The one-sided density of bin k is
// c(k) |X(k)|^2 dt / U averaged over the segments, with c = 1 at k = 0 and
// k = L/2 and c = 2 between, so that sum S(k) df equals the mean square of
// the windowed segments (Parseval): the variance of the record up to the
// taper's weighting.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

#include "check/kernels/statistics.h"

namespace wavecomp::check {

// Bins across the median spacing of the component frequencies: the main lobe
// of the Hann window is two bins wide on either side, so components this far
// apart show as separate peaks.
inline constexpr double kWelchBinsPerSpacing = 2.0;

struct WelchSpectrum {
  std::size_t segment_length = 0;  // L, samples
  std::size_t segments = 0;
  double df = 0.0;                       // Hz
  std::vector<DensitySample> density;    // f = k df, k = 0..L/2; S in m^2/Hz
  double m0 = 0.0;                       // sum of S df, m^2
  std::optional<double> peak_frequency;  // Hz: the highest bin refined by a parabola
};

// The segment length for a record of `samples` samples whose components have
// frequencies f: the shortest fast FFT size whose bins resolve the median
// spacing of the distinct frequencies (kWelchBinsPerSpacing bins across it),
// or the longest fast size within the record when that is too short or the
// components give no spacing. 0 when the record has fewer than two samples.
std::size_t WelchSegmentLength(std::span<const double> f, double dt, std::size_t samples);

// Throws std::invalid_argument unless segment_length is a fast FFT size
// (IsFastFftSize) no longer than the record, and dt > 0.
WelchSpectrum WelchEstimate(std::span<const double> eta, double dt, std::size_t segment_length);

}  // namespace wavecomp::check
