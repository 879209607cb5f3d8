// The directional distribution of one frequency from the first four
// Fourier coefficients a buoy measures, by the maximum entropy method of
// Lygre and Krogstad (1986).
//
// A buoy gives, per frequency, r1, alpha1, r2, alpha2 (NDBC's names): the
// distribution D(theta), integral 1 over the circle, has the complex Fourier
// coefficients c_n = integral of D(theta) e^(i n theta) dtheta
//   c1 = r1 e^(i alpha1),   c2 = r2 e^(2 i alpha2).
// Of all distributions with these c1 and c2 the one of largest entropy is
//   D(theta) = (1 - phi1 conj(c1) - phi2 conj(c2)) / (2 pi |1 - phi1 e^(-i theta) - phi2 e^(-2 i theta)|^2)
// with phi1 = (c1 - c2 conj(c1)) / (1 - |c1|^2) and phi2 = c2 - c1 phi1.
// It reproduces c1 and c2 exactly and, unlike the truncated series
// 1/(2 pi) + (r1 cos(theta - alpha1) + r2 cos(2 (theta - alpha2))) / pi, is
// never negative and resolves narrow seas. A wrapped Cauchy distribution
// (c_n = rho^n e^(i n mu)) has phi2 = 0 and is recovered exactly.
//
// Angles are in degrees, all in one convention (NDBC's: from where the waves
// come, clockwise from North); D is per degree.
#pragma once

#include <span>

namespace wavecomp {

// Coefficients this close to a resultant of 1 describe a single direction,
// which the formula cannot take: |c1| is held below it.
inline constexpr double kLargestResultant = 0.999;

// D at each of `theta` (degrees) into `D` (per degree), normalised so that
// the sum of D over a grid of equal steps `step` is 1; false (D untouched)
// when the coefficients are not finite or r1, r2 lie outside 0..1.
bool MaxEntropyDistribution(double r1, double alpha1, double r2, double alpha2, std::span<const double> theta,
                            double step, std::span<double> D);

}  // namespace wavecomp
