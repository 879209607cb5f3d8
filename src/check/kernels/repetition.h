// Whether a record repeats itself: its autocorrelation at long lags.
//
// The estimate is the biased one, r(k) = sum over t < n-k of eta(t) eta(t+k)
// divided by sum of eta(t)^2. Dividing by n - k instead (the unbiased
// estimate) rests the longest lags on a handful of products: its scatter
// there reaches 1 and would raise a false alarm for every record. The biased
// estimate is damped by (n - k) / n instead, so an exact repetition after a
// lag P shows as 1 - P/D in a record of duration D: above kRepetitionWarning
// when the record holds its repeat period at least twice.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace wavecomp::check {

// The largest autocorrelation above which the record is said to repeat itself.
inline constexpr double kRepetitionWarning = 0.5;

// r(k) for k = 0..n-1 (r(0) = 1; all zero for a record of zeros), through a
// transform zero-padded to at least 2n so that no lag wraps around.
std::vector<double> Autocorrelation(std::span<const double> eta);

struct Repetition {
  bool defined = false;  // false when the record ends before the first lag
  double max_autocorrelation = 0.0;
  double lag_s = 0.0;  // where it occurs
};

// The largest r(k) over the lags from first_lag_s to the end of the record,
// sampled every dt seconds.
Repetition LargestAutocorrelation(std::span<const double> eta, double dt, double first_lag_s);
// The same, freeing the record once the transform has taken it: the check
// of a long record then never holds the record and the transform at once.
Repetition LargestAutocorrelation(std::vector<double>&& eta, double dt, double first_lag_s);

}  // namespace wavecomp::check
