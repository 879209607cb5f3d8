// What the Rayleigh distribution of wave heights, the narrow-band limit of a
// Gaussian sea, expects of a zero-crossing analysis.
//
// Glossary: m0 the variance of the surface (m^2), Hm0 = 4 sqrt(m0),
// Hrms = sqrt(8 m0) = Hm0 / sqrt(2); P(H > h) = exp(-(h / Hrms)^2).
//
// A broad spectrum such as JONSWAP gives lower heights for the same m0 (H1/3
// about 0.93-0.99 Hm0 rather than 1.00): the expectations are the reference
// an engineer reads the measured ratios against, not targets.
#pragma once

#include <cstddef>
#include <vector>

namespace wavecomp::check {

// P(H > h) for a sea of the given Hm0.
double RayleighExceedance(double h, double Hm0);

// H1/3 / Hm0: sqrt(ln 3) + (3 sqrt(pi) / 2) erfc(sqrt(ln 3)), over sqrt(2).
double RayleighH13OverHm0();

// The expected highest of `waves` independent heights, over Hrms:
// the integral from 0 to infinity of 1 - (1 - exp(-x^2))^waves. 0 for no waves.
double RayleighExpectedHmaxOverHrms(std::size_t waves);

// The expected Hmax / H1/3 of a record of `waves` waves. 0 for no waves.
double RayleighHmaxOverH13(std::size_t waves);

struct ExceedanceSample {
  double h_m = 0.0;
  double probability = 0.0;  // P(H > h)
};

// The Rayleigh curve at `count` heights evenly spaced from 0 to h_max, for
// drawing beside the measured exceedance.
std::vector<ExceedanceSample> RayleighExceedanceCurve(double Hm0, double h_max, std::size_t count);

// The measured exceedance of `heights`: the j-th highest (1-based) of n
// stands at P = j / n, the share of waves at least that high.
std::vector<ExceedanceSample> MeasuredExceedance(std::vector<double> heights);

}  // namespace wavecomp::check
