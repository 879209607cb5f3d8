#include "check/kernels/expectations.h"

#include <algorithm>
#include <cmath>

#include "check/kernels/bounded_int.h"
#include "core/console.h"
#include "resample/direction_interpolation.h"
#include "resample/spline.h"
#include "synthesis/jonswap.h"
#include "synthesis/numerics.h"
#include "synthesis/spreading.h"

namespace wavecomp::check {
namespace {

// Geometric grid of the JONSWAP target: a ratio of 1 + 2e-4 between
// neighbouring samples puts about 350 samples across the peak (its width is
// about 0.07 fp), so straight lines between them integrate the density to
// about 1e-7 relative.
constexpr double kJonswapGridRatio = 1.0 + 2.0e-4;
// Below 0.2 fp the density is under 1e-60 of its peak and above 100 fp the
// tail holds less than 1e-8 of the energy; the grid reaches the components
// too when they lie outside.
constexpr double kJonswapLowestShare = 0.2;
constexpr double kJonswapHighestMultiple = 100.0;
// Below 1e-3 fp the density is zero (floored) whatever the components say,
// and past 1000 fp it holds nothing a six-digit file could show; the grid
// stops there even for components beyond.
constexpr double kJonswapFloorShare = 1.0e-3;
constexpr double kJonswapFarthestMultiple = 1000.0;
// The grid spans at most 1e-3 fp to 1000 fp: some 69 000 samples.
constexpr std::size_t kJonswapGridLimit = 100'000;
// Samples of the spline through an Sspe table.
constexpr int kSplineSamples = 20000;

}  // namespace

TargetSpectrum::TargetSpectrum(std::string label, std::vector<double> f, std::vector<double> S)
    : label_(std::move(label)), f_(std::move(f)), S_(std::move(S)) {
  cumulative_.resize(f_.size());
  double sum = 0.0;
  for (std::size_t j = 0; j < f_.size(); ++j) {
    if (j > 0) sum += 0.5 * (S_[j - 1] + S_[j]) * (f_[j] - f_[j - 1]);
    cumulative_[j] = sum;
  }
  std::vector<DensitySample> samples(f_.size());
  for (std::size_t j = 0; j < f_.size(); ++j) samples[j] = {f_[j], S_[j]};
  peak_frequency_ = check::PeakFrequency(samples).value_or(0.0);
}

TargetSpectrum TargetSpectrum::Jonswap(double H13, double T13, double gamma, double f_low, double f_high) {
  const JonswapShape shape = JonswapShape::From(H13, T13, gamma);
  double start = kJonswapLowestShare * shape.fp;
  if (f_low > 0.0 && f_low < start) start = std::max(0.5 * f_low, kJonswapFloorShare * shape.fp);
  const double end =
      std::max(kJonswapHighestMultiple * shape.fp, std::min(2.0 * f_high, kJonswapFarthestMultiple * shape.fp));
  std::vector<double> f, S;
  const std::size_t count =
      FloorWithin<std::size_t>(std::ceil(std::log(end / start) / std::log(kJonswapGridRatio)), 0, kJonswapGridLimit) + 1;
  f.reserve(count);
  S.reserve(count);
  for (std::size_t j = 0; j < count; ++j) {
    const double x = start * std::pow(kJonswapGridRatio, static_cast<double>(j));
    f.push_back(x);
    S.push_back(JonswapDensity(shape, x));
  }
  TargetSpectrum target("JONSWAP", std::move(f), std::move(S));
  // Density and peak come from the same formulas as the synthesis.
  target.peak_frequency_ = shape.fp;
  return target;
}

TargetSpectrum TargetSpectrum::Samples(std::string label, std::vector<double> f, std::vector<double> S) {
  return TargetSpectrum(std::move(label), std::move(f), std::move(S));
}

std::optional<TargetSpectrum> TargetSpectrum::SplineTable(std::string label, std::span<const double> f,
                                                          std::span<const double> S, double scale) {
  if (S.size() != f.size()) return std::nullopt;
  const int n = static_cast<int>(f.size());
  std::vector<double> x(f.size() + 1), y(f.size() + 1);  // 1-based, as the spline takes them
  std::copy(f.begin(), f.end(), x.begin() + 1);
  std::copy(S.begin(), S.end(), y.begin() + 1);
  Spline spline;
  if (f.size() > static_cast<std::size_t>(kSplineMaxPoints) || !spline.Setup(x.data(), y.data(), n))
    return std::nullopt;
  std::vector<double> grid(kSplineSamples + 1), values(kSplineSamples + 1);
  const double first = f.front(), last = f.back();
  for (int j = 0; j <= kSplineSamples; ++j) {
    const double xj = j == kSplineSamples ? last : first + (last - first) * static_cast<double>(j) / kSplineSamples;
    double value = 0.0;
    spline.Evaluate(xj, value);
    grid[static_cast<std::size_t>(j)] = xj;
    values[static_cast<std::size_t>(j)] = std::max(0.0, value) * scale;
  }
  return TargetSpectrum(std::move(label), std::move(grid), std::move(values));
}

double TargetSpectrum::Density(double x) const {
  if (f_.empty() || x < f_.front() || x > f_.back()) return 0.0;
  const std::size_t j = static_cast<std::size_t>(std::upper_bound(f_.begin(), f_.end(), x) - f_.begin());
  if (j >= f_.size()) return S_.back();
  const double t = (x - f_[j - 1]) / (f_[j] - f_[j - 1]);
  return S_[j - 1] + t * (S_[j] - S_[j - 1]);
}

double TargetSpectrum::Cumulative(double x) const {
  if (f_.empty() || x <= f_.front()) return 0.0;
  if (x >= f_.back()) return Total();
  const std::size_t j = static_cast<std::size_t>(std::upper_bound(f_.begin(), f_.end(), x) - f_.begin());
  const double h = x - f_[j - 1];
  // Exact area under the straight line from sample j-1 to x.
  return cumulative_[j - 1] + 0.5 * (S_[j - 1] + Density(x)) * h;
}

double TargetSpectrum::FrequencyAtEnergy(double energy) const {
  if (f_.empty()) return 0.0;
  if (energy <= 0.0) return f_.front();
  if (energy >= Total()) return f_.back();
  const std::size_t j =
      static_cast<std::size_t>(std::lower_bound(cumulative_.begin(), cumulative_.end(), energy) - cumulative_.begin());
  const double c0 = cumulative_[j - 1], c1 = cumulative_[j];
  const double t = c1 > c0 ? (energy - c0) / (c1 - c0) : 0.0;
  return f_[j - 1] + t * (f_[j] - f_[j - 1]);
}

std::optional<BandEnergy> TargetBandEnergy(const TargetSpectrum& target, std::span<const double> f,
                                           std::span<const double> a) {
  if (f.empty()) return std::nullopt;
  const double first_half = 0.25 * a.front() * a.front();  // e(1)/2
  const double last_half = 0.25 * a.back() * a.back();     // e(N)/2
  BandEnergy band;
  band.f_lower = target.FrequencyAtEnergy(target.Cumulative(f.front()) - first_half);
  band.f_upper = target.FrequencyAtEnergy(target.Cumulative(f.back()) + last_half);
  band.m0 = target.Cumulative(band.f_upper) - target.Cumulative(band.f_lower);
  band.Hm0 = 4.0 * std::sqrt(std::max(0.0, band.m0));
  return band;
}

std::optional<BandEnergy> WholeTargetEnergy(const TargetSpectrum& target, std::span<const double> f,
                                            std::span<const double> a) {
  std::optional<BandEnergy> band = TargetBandEnergy(target, f, a);
  if (!band) return band;
  const double whole = target.Total();
  band->outside_share = whole > 0.0 ? std::clamp(1.0 - band->m0 / whole, 0.0, 1.0) : 0.0;
  band->m0 = whole;
  band->Hm0 = 4.0 * std::sqrt(std::max(0.0, whole));
  return band;
}

std::optional<std::vector<double>> SpreadDirectionCells(std::span<const double> f, std::span<const double> weights,
                                                        double Smax, double T13, double Dirc_deg) {
  if (f.empty()) return std::nullopt;
  // The node range of every run; the distribution is the program's own.
  const Cos2sSpreading spreading(Smax, T13, Dirc_deg * kDegree, -90.0, 90.0);
  std::vector<double> cells(kDirectionCells, 0.0);
  double total = 0.0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    const NodeDistribution node = spreading.At(f[i]);
    for (std::size_t k = 1; k < node.cumD.size(); ++k) cells[k - 1] += weights[i] * (node.cumD[k] - node.cumD[k - 1]);
    total += weights[i];
  }
  if (!(total > 0.0)) return std::nullopt;
  for (double& cell : cells) cell /= total;
  return cells;
}

std::optional<double> SpreadingCutShare(std::span<const double> f, std::span<const double> weights, double Smax,
                                        double T13, double Dirc_deg) {
  if (f.empty() || !(std::fabs(Dirc_deg) <= 90.0)) return std::nullopt;
  // The same law over the whole circle centred on the principal direction,
  // where cos((theta - theta0)/2) never turns negative: node k at
  // Dirc - 180 + 2k degrees.
  const Cos2sSpreading circle(Smax, T13, Dirc_deg * kDegree, Dirc_deg - 180.0, Dirc_deg + 180.0);
  const auto cumulative = [&](const NodeDistribution& node, double theta) {
    const double x = (theta - (Dirc_deg - 180.0)) / 2.0;
    const std::size_t k = std::min(static_cast<std::size_t>(x), node.cumD.size() - 2);
    const double t = x - static_cast<double>(k);
    return node.cumD[k] + t * (node.cumD[k + 1] - node.cumD[k]);
  };
  double cut = 0.0, total = 0.0;
  for (std::size_t i = 0; i < f.size(); ++i) {
    const NodeDistribution node = circle.At(f[i]);
    const double inside = cumulative(node, 90.0) - cumulative(node, -90.0);
    if (!std::isfinite(inside)) continue;
    cut += weights[i] * (1.0 - inside);
    total += weights[i];
  }
  if (!(total > 0.0)) return std::nullopt;
  return std::clamp(cut / total, 0.0, 1.0);
}

std::optional<std::vector<double>> InterpolatedDirectionCells(SpectrumType type, const PointInput& point,
                                                              std::span<const double> f,
                                                              std::span<const double> weights, SpectrumWorkspace& ws) {
  const std::size_t n = point.frequencies.size();
  const std::size_t K = point.directions.size();
  if (f.empty() || f.size() > static_cast<std::size_t>(kMaxUsedComponents) || n == 0 ||
      n > static_cast<std::size_t>(kMaxFrequencies) || K > static_cast<std::size_t>(kMaxKeptDirections) ||
      point.values.size() != n * K) {
    return std::nullopt;
  }
  // The tables as the reader leaves them for the stage: 1-based, one column
  // per direction.
  ws.input.n_in = static_cast<std::int32_t>(n);
  std::copy(point.frequencies.begin(), point.frequencies.end(), ws.input.f_in + 1);
  ws.directions.kept_direction_count = static_cast<std::int32_t>(K);
  for (std::size_t k = 0; k < K; ++k) {
    ws.directions.kept_directions[k + 1] = point.directions[k];
    const auto column = point.values.begin() + static_cast<std::ptrdiff_t>(k * n);
    std::copy(column, column + static_cast<std::ptrdiff_t>(n),
              ws.directions.directional_values.column(static_cast<int>(k) + 1) + 1);
  }
  std::copy(f.begin(), f.end(), ws.bands.f + 1);
  const int N = static_cast<int>(f.size());
  Console muted;
  resample_directions(type, N, ws.input, ws.directions, ws.bands, ws.direction_tables, ws.distribution, muted);
  std::vector<double> cells(kDirectionCells, 0.0);
  double total = 0.0;
  for (int c = 1; c <= N; ++c) {
    const double weight = weights[static_cast<std::size_t>(c - 1)];
    for (int m = 1; m <= kLastNode; ++m) {
      cells[static_cast<std::size_t>(m - 1)] += weight * (ws.distribution.cumD(c, m) - ws.distribution.cumD(c, m - 1));
    }
    total += weight;
  }
  if (!(total > 0.0)) return std::nullopt;
  for (double& cell : cells) cell /= total;
  return cells;
}

}  // namespace wavecomp::check
