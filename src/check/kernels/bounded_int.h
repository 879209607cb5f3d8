// Whole numbers from doubles that may lie anywhere. Converting a double
// outside the range of an integer type (or a NaN) is undefined behaviour,
// and a file may hold values that carry a computed count, bin or number of
// decimals far out of range: these conversions clamp first.
#pragma once

#include <cmath>
#include <concepts>

namespace wavecomp::check {

// floor(value) within lo..hi; lo for a NaN.
template <std::integral Int>
Int FloorWithin(double value, Int lo, Int hi) {
  if (!(value >= static_cast<double>(lo))) return lo;  // also NaN
  if (!(value < static_cast<double>(hi))) return hi;
  return static_cast<Int>(std::floor(value));
}

// value rounded to the nearest whole number (halves away from zero) within lo..hi; lo for a NaN.
template <std::integral Int>
Int RoundWithin(double value, Int lo, Int hi) {
  return FloorWithin<Int>(std::round(value), lo, hi);
}

}  // namespace wavecomp::check
