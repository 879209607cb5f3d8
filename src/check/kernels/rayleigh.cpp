#include "check/kernels/rayleigh.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace wavecomp::check {
namespace {

// Simpson intervals over 0..sqrt(ln n + 40): the integrand falls from 1 to 0
// around sqrt(ln n) over a width of about 1 / (2 sqrt(ln n)), still 0.1 for
// n = 1e9, so intervals of at most 0.002 put dozens across the fall.
constexpr int kSimpsonIntervals = 4096;
// Beyond sqrt(ln n + 40) the integrand is below n exp(-x^2) < exp(-40).
constexpr double kTailExponent = 40.0;

}  // namespace

double RayleighExceedance(double h, double Hm0) {
  const double x = h / Hm0;
  return std::exp(-2.0 * x * x);
}

double RayleighH13OverHm0() {
  const double threshold = std::sqrt(std::log(3.0));
  return (threshold + 1.5 * std::sqrt(std::numbers::pi) * std::erfc(threshold)) / std::numbers::sqrt2;
}

double RayleighExpectedHmaxOverHrms(std::size_t waves) {
  if (waves == 0) return 0.0;
  const double n = static_cast<double>(waves);
  // 1 - (1 - e)^n through log1p and expm1, exact to rounding where e is tiny.
  const auto integrand = [n](double x) {
    if (x == 0.0) return 1.0;
    return -std::expm1(n * std::log1p(-std::exp(-x * x)));
  };
  const double end = std::sqrt(std::log(n) + kTailExponent);
  const double h = end / kSimpsonIntervals;
  double sum = integrand(0.0) + integrand(end);
  for (int j = 1; j < kSimpsonIntervals; ++j) sum += (j % 2 == 1 ? 4.0 : 2.0) * integrand(h * j);
  return sum * h / 3.0;
}

double RayleighHmaxOverH13(std::size_t waves) {
  if (waves == 0) return 0.0;
  return RayleighExpectedHmaxOverHrms(waves) / (RayleighH13OverHm0() * std::numbers::sqrt2);
}

std::vector<ExceedanceSample> RayleighExceedanceCurve(double Hm0, double h_max, std::size_t count) {
  std::vector<ExceedanceSample> curve(count);
  for (std::size_t j = 0; j < count; ++j) {
    const double h = count > 1 ? h_max * static_cast<double>(j) / static_cast<double>(count - 1) : 0.0;
    curve[j] = {h, RayleighExceedance(h, Hm0)};
  }
  return curve;
}

std::vector<ExceedanceSample> MeasuredExceedance(std::vector<double> heights) {
  std::sort(heights.begin(), heights.end(), std::greater<>());
  std::vector<ExceedanceSample> samples(heights.size());
  for (std::size_t j = 0; j < heights.size(); ++j)
    samples[j] = {heights[j], static_cast<double>(j + 1) / static_cast<double>(heights.size())};
  return samples;
}

}  // namespace wavecomp::check
