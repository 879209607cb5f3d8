#include "check/kernels/statistics.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "synthesis/numerics.h"

namespace wavecomp::check {
namespace {

// Difference of two directions in degrees, within -180..180.
double AngleDifference(double a_deg, double b_deg) { return std::remainder(a_deg - b_deg, 360.0); }

double SpreadDegrees(double resultant) { return std::sqrt(2.0 * std::max(0.0, 1.0 - resultant)) / kDegree; }

}  // namespace

std::vector<DensitySample> ComponentDensity(std::span<const double> f, std::span<const double> a) {
  std::vector<DensitySample> density;
  if (f.size() < 2) return density;
  density.reserve(f.size() - 1);
  for (std::size_t i = 0; i + 1 < f.size(); ++i) {
    const double spacing = f[i + 1] - f[i];
    if (!(spacing > 0.0)) continue;
    const double energy = 0.5 * (0.5 * a[i] * a[i] + 0.5 * a[i + 1] * a[i + 1]);
    density.push_back({0.5 * (f[i] + f[i + 1]), energy / spacing});
  }
  return density;
}

std::optional<double> PeakFrequency(std::span<const DensitySample> density) {
  if (density.empty()) return std::nullopt;
  std::size_t top = 0;
  for (std::size_t j = 1; j < density.size(); ++j) {
    if (density[j].S > density[top].S) top = j;
  }
  if (top == 0 || top + 1 == density.size()) return density[top].f;
  // Vertex of the parabola through three points with unequal spacing.
  const double x0 = density[top - 1].f, x1 = density[top].f, x2 = density[top + 1].f;
  const double y0 = density[top - 1].S, y1 = density[top].S, y2 = density[top + 1].S;
  const double d01 = (y1 - y0) / (x1 - x0);
  const double d12 = (y2 - y1) / (x2 - x1);
  const double curvature = (d12 - d01) / (x2 - x0);
  if (!(curvature < 0.0)) return x1;
  const double vertex = 0.5 * (x0 + x1) - d01 / (2.0 * curvature);
  return std::clamp(vertex, x0, x2);
}

DirectionStatistics CircularStatistics(std::span<const double> theta, std::span<const double> weights) {
  DirectionStatistics result;
  double total = 0.0, c = 0.0, s = 0.0;
  for (std::size_t i = 0; i < theta.size(); ++i) {
    total += weights[i];
    c += weights[i] * std::cos(theta[i]);
    s += weights[i] * std::sin(theta[i]);
  }
  if (!(total > 0.0)) return result;
  result.defined = true;
  result.mean_deg = std::atan2(s, c) / kDegree;
  result.spread_deg = SpreadDegrees(std::hypot(c, s) / total);
  for (std::size_t w = 0; w < kShareHalfWidths.size(); ++w) {
    double inside = 0.0;
    for (std::size_t i = 0; i < theta.size(); ++i) {
      if (std::abs(AngleDifference(theta[i] / kDegree, result.mean_deg)) <= kShareHalfWidths[w]) inside += weights[i];
    }
    result.shares[w] = inside / total;
  }
  return result;
}

DirectionStatistics CellStatistics(std::span<const double> cell_mass, double first_deg, double width_deg) {
  DirectionStatistics result;
  double total = 0.0, c = 0.0, s = 0.0;
  for (std::size_t k = 0; k < cell_mass.size(); ++k) {
    const double lo = (first_deg + static_cast<double>(k) * width_deg) * kDegree;
    const double hi = lo + width_deg * kDegree;
    // Mean of cos and sin over a cell of uniform density.
    total += cell_mass[k];
    c += cell_mass[k] * (std::sin(hi) - std::sin(lo)) / (hi - lo);
    s += cell_mass[k] * (std::cos(lo) - std::cos(hi)) / (hi - lo);
  }
  if (!(total > 0.0)) return result;
  result.defined = true;
  result.mean_deg = std::atan2(s, c) / kDegree;
  result.spread_deg = SpreadDegrees(std::hypot(c, s) / total);
  for (std::size_t w = 0; w < kShareHalfWidths.size(); ++w) {
    const double window_lo = result.mean_deg - kShareHalfWidths[w];
    const double window_hi = result.mean_deg + kShareHalfWidths[w];
    double inside = 0.0;
    for (std::size_t k = 0; k < cell_mass.size(); ++k) {
      const double lo = first_deg + static_cast<double>(k) * width_deg;
      const double overlap = std::min(lo + width_deg, window_hi) - std::max(lo, window_lo);
      if (overlap > 0.0) inside += cell_mass[k] * overlap / width_deg;
    }
    result.shares[w] = inside / total;
  }
  return result;
}

double KolmogorovPValue(double d, std::size_t n) {
  if (n == 0) return 1.0;
  const double root = std::sqrt(static_cast<double>(n));
  const double lambda = (root + 0.12 + 0.11 / root) * d;
  if (lambda < 1.0e-3) return 1.0;
  if (lambda < 1.18) {
    // The series in exp(-2 k^2 lambda^2) converges slowly here; this form of
    // the same distribution converges fast.
    const double y = std::exp(-std::numbers::pi * std::numbers::pi / (8.0 * lambda * lambda));
    const double sum = y + std::pow(y, 9.0) + std::pow(y, 25.0) + std::pow(y, 49.0);
    return std::clamp(1.0 - std::sqrt(kTwoPi) / lambda * sum, 0.0, 1.0);
  }
  const double x = std::exp(-2.0 * lambda * lambda);
  return std::clamp(2.0 * (x - std::pow(x, 4.0) + std::pow(x, 9.0) - std::pow(x, 16.0)), 0.0, 1.0);
}

PhaseUniformity PhaseTest(std::span<const double> phase) {
  PhaseUniformity result;
  if (phase.empty()) return result;
  std::vector<double> u;
  u.reserve(phase.size());
  for (double value : phase) {
    if (value < 0.0 || value > kTwoPi) ++result.outside;
    double wrapped = std::fmod(value, kTwoPi);
    if (wrapped < 0.0) wrapped += kTwoPi;
    u.push_back(wrapped / kTwoPi);
  }
  std::sort(u.begin(), u.end());
  const double n = static_cast<double>(u.size());
  double d = 0.0;
  for (std::size_t i = 0; i < u.size(); ++i) {
    const double below = static_cast<double>(i) / n;
    const double above = static_cast<double>(i + 1) / n;
    d = std::max({d, above - u[i], u[i] - below});
  }
  result.defined = true;
  result.ks_statistic = d;
  result.p_value = KolmogorovPValue(d, u.size());
  return result;
}

PointStatistics ComputeStatistics(std::span<const double> f, std::span<const double> a, std::span<const double> theta,
                                  std::span<const double> phase) {
  PointStatistics result;
  result.count = f.size();
  if (f.empty()) return result;
  result.f_low = *std::min_element(f.begin(), f.end());
  result.f_high = *std::max_element(f.begin(), f.end());
  std::vector<double> energy(f.size());
  for (std::size_t i = 0; i < f.size(); ++i) {
    energy[i] = 0.5 * a[i] * a[i];
    result.m0 += energy[i];
    if (i > 0 && !(f[i] > f[i - 1])) result.ascending = false;
  }
  result.Hm0 = 4.0 * std::sqrt(result.m0);
  if (f.size() == 1) {
    result.peak_frequency = f[0];
  } else {
    const std::vector<DensitySample> density = ComponentDensity(f, a);
    result.peak_frequency = PeakFrequency(density);
  }
  result.directions = CircularStatistics(theta, energy);
  result.phases = PhaseTest(phase);
  return result;
}

}  // namespace wavecomp::check
