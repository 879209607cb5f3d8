// Glossary: i SWAN frequency index, r SWAN direction bin (in the order of
// swan::DirectionBins), j Emep grid direction (0-based here), m written
// frequency index, k refinement factor (equal sub-steps per SWAN interval).
#include "import/conversion.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "core/workspace.h"
#include "resample/frequency_resampling.h"
#include "resample/spline.h"
#include "synthesis/numerics.h"
#include "synthesis/spreading.h"
#include "textio/format.h"
#include "textio/records.h"

namespace wavecomp::importer {
namespace {

// The averaged table may lack at most this part of a band of the largest N:
// the band before the last then closes inside the table, and the last one
// is closed at the table's end by wavecomp itself.
constexpr double kBandShare = 0.25;
constexpr double kLargestShortfall = kBandShare / kMaxUsedComponents;
// Every location's amplitudes come from its own spline: its energy within
// 0.2 % of the trapezoid energy keeps its Hm0 within 0.1 %.
constexpr double kLargestLocationError = 0.002;
// Refinement factors tried in turn.
constexpr std::array<int, 16> kFactors = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48, 64, 96, 128, 192, 256};

// Whole divisors of 360 up to the grid capacity of 200 directions.
constexpr std::array<int, 23> kDivisorsOf360 = {1,  2,  3,  4,  5,  6,  8,  9,  10, 12,  15, 18,
                                                20, 24, 30, 36, 40, 45, 60, 72, 90, 120, 180};

double Trapezoid(std::span<const double> f, std::span<const double> S) {
  double sum = 0.0;
  for (std::size_t i = 0; i + 1 < f.size(); ++i) sum += 0.5 * (S[i] + S[i + 1]) * (f[i + 1] - f[i]);
  return sum;
}

// 1-based copies for the spline routines.
std::vector<double> OneBased(std::span<const double> values) {
  std::vector<double> out(values.size() + 1, 0.0);
  std::copy(values.begin(), values.end(), out.begin() + 1);
  return out;
}

// The integral of the (unclipped) spline through the table.
double SplineEnergy(std::span<const double> f, std::span<const double> S) {
  const std::vector<double> x = OneBased(f);
  const std::vector<double> y = OneBased(S);
  Spline spline;
  const int n = static_cast<int>(f.size());
  if (!spline.Setup(x.data(), y.data(), n)) return 0.0;
  const double* h = spline.h();
  const double* M = spline.M();
  double sum = 0.0;
  for (int j = 2; j <= n; ++j) {
    const double H = h[j];
    sum += 0.5 * H * (y[static_cast<std::size_t>(j - 1)] + y[static_cast<std::size_t>(j)]) -
           H * H * H * (M[j - 1] + M[j]) / 24.0;
  }
  return sum;
}

// The frequencies refined k times, as written; empty when the writing
// format cannot tell two of them apart.
RefinedGrid MakeGrid(std::span<const double> f, int k, NumberFormat format) {
  RefinedGrid grid;
  grid.factor = k;
  const std::size_t n = f.size();
  const auto add = [&](double written, std::size_t i, double t) {
    if (!grid.frequencies.empty() && !(written > grid.frequencies.back())) return false;
    grid.frequencies.push_back(written);
    grid.interval.push_back(i);
    grid.t.push_back(std::clamp(t, 0.0, 1.0));
    return true;
  };
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const double width = f[i + 1] - f[i];
    for (int m = 0; m < k; ++m) {
      const double written = AsWritten(f[i] + width * static_cast<double>(m) / static_cast<double>(k), format);
      if (!add(written, i, m == 0 ? 0.0 : (written - f[i]) / width)) return {};
    }
  }
  if (!add(AsWritten(f[n - 1], format), n - 1, 0.0)) return {};
  return grid;
}

std::vector<double> Refine(std::span<const double> coarse, const RefinedGrid& grid) {
  std::vector<double> out(grid.frequencies.size());
  for (std::size_t m = 0; m < out.size(); ++m) RefinedRow(coarse, 1, grid, m, &out[m]);
  return out;
}

// Where Emep grid direction j takes its value from: (1 - t) of bin `left`
// plus t of bin `right`, or nothing outside a sector.
struct GridWeight {
  std::size_t left = 0;
  std::size_t right = 0;
  double t = 0.0;
  bool inside = false;
};

// `angle` moved by whole turns into [start, start + 360).
double TurnInto(double angle, double start) {
  double u = start + std::fmod(angle - start, 360.0);
  if (u < start) u += 360.0;
  return u;
}

std::vector<GridWeight> GridWeights(const swan::DirectionBins& bins, int mdd) {
  const std::vector<double>& theta = bins.theta;
  const std::size_t n = theta.size();
  std::vector<GridWeight> weights(static_cast<std::size_t>(mdd));
  for (int j = 1; j <= mdd; ++j) {
    GridWeight& w = weights[static_cast<std::size_t>(j - 1)];
    const double start = bins.full_circle ? theta[0] : bins.low_edge();
    const double u = TurnInto(emep_layout::Direction(j, mdd), start);
    if (!bins.full_circle) {
      if (u > bins.high_edge()) continue;
      if (u <= theta[0] || u >= theta[n - 1]) {
        w.left = w.right = u <= theta[0] ? 0 : n - 1;
        w.inside = true;
        continue;
      }
    }
    // The last bin at or below u; round the circle past the last bin.
    const std::size_t r = static_cast<std::size_t>(std::upper_bound(theta.begin(), theta.end(), u) - theta.begin()) - 1;
    const double next = r + 1 < n ? theta[r + 1] : theta[0] + 360.0;
    w.left = r;
    w.right = (r + 1) % n;
    w.t = (u - theta[r]) / (next - theta[r]);
    w.inside = true;
  }
  return weights;
}

}  // namespace

double AsWritten(double value, NumberFormat format) {
  static const std::string kName = "(written number)";
  std::string field;
  textio::PutE(field, value, format.w, format.d);
  textio::FieldReader reader(field, kName, 0);
  return reader.TryF(format.w, format.d).value_or(value);
}

double DivisionShortfall(std::span<const double> f, std::span<const double> S) {
  const double trapezoid = Trapezoid(f, S);
  if (!(trapezoid > 0.0)) return 0.0;
  const std::vector<double> x = OneBased(f);
  const std::vector<double> y = OneBased(S);
  const int n = static_cast<int>(f.size());
  Spline spline;
  if (!spline.Setup(x.data(), y.data(), n)) return 1.0;
  const double* h = spline.h();
  const double* M = spline.M();
  // The walk of wavecomp's energy check: positions from the step index, the
  // value kept where the spline has none (past the last frequency), clipped
  // at zero. The interval only moves forward, so it is followed, not searched.
  const double df = (x[static_cast<std::size_t>(n)] - x[1]) / kDivisionFineSteps;
  int j = 2;
  const auto value = [&](double X, double& kept) {
    while (j < n && X > x[static_cast<std::size_t>(j)]) ++j;
    if (X > x[static_cast<std::size_t>(n)]) return;
    const std::size_t r = static_cast<std::size_t>(j);
    kept = SplineFormula(x[r] - X, X - x[r - 1], h[j], y[r - 1], y[r], M[j - 1], M[j]);
  };
  double ya = 0.0;
  double yb = 0.0;
  double energy = 0.0;
  for (int i = 1; i <= kDivisionFineSteps; ++i) {
    value(x[1] + static_cast<double>(i - 1) * df, ya);
    value(x[1] + static_cast<double>(i) * df, yb);
    ya = std::max(0.0, ya);
    yb = std::max(0.0, yb);
    energy += (ya + yb) * (0.5 * df);
  }
  return (trapezoid - energy) / trapezoid;
}

Refinement ChooseRefinement(std::span<const double> f, std::span<const std::vector<double>> S, NumberFormat format) {
  const std::size_t n = f.size();
  std::vector<double> mean(n, 0.0);
  for (const std::vector<double>& table : S) {
    for (std::size_t i = 0; i < n; ++i) mean[i] += table[i];
  }
  for (double& value : mean) value /= static_cast<double>(S.empty() ? 1 : S.size());

  Refinement best;
  best.unrefined_shortfall = DivisionShortfall(f, mean);
  for (const int k : kFactors) {
    if ((n - 1) * static_cast<std::size_t>(k) + 1 > static_cast<std::size_t>(kMaxFrequencies)) break;
    RefinedGrid grid = MakeGrid(f, k, format);
    if (grid.frequencies.empty()) break;
    Refinement candidate;
    candidate.unrefined_shortfall = best.unrefined_shortfall;
    candidate.shortfall = DivisionShortfall(grid.frequencies, Refine(mean, grid));
    for (const std::vector<double>& table : S) {
      const std::vector<double> refined = Refine(table, grid);
      const double trapezoid = Trapezoid(grid.frequencies, refined);
      if (!(trapezoid > 0.0)) continue;
      const double error = std::fabs(SplineEnergy(grid.frequencies, refined) / trapezoid - 1.0);
      candidate.worst_location_error = std::max(candidate.worst_location_error, error);
    }
    candidate.sufficient =
        candidate.shortfall <= kLargestShortfall && candidate.worst_location_error <= kLargestLocationError;
    candidate.grid = std::move(grid);
    best = std::move(candidate);
    if (best.sufficient) break;
  }
  return best;
}

void RefinedRow(std::span<const double> coarse, std::size_t width, const RefinedGrid& grid, std::size_t m,
                double* out) {
  const double t = grid.t[m];
  const double* low = coarse.data() + grid.interval[m] * width;
  if (t == 0.0) {
    std::copy(low, low + width, out);
    return;
  }
  const double* high = low + width;
  for (std::size_t j = 0; j < width; ++j) out[j] = (1.0 - t) * low[j] + t * high[j];
}

int DefaultDirectionCount(const swan::DirectionBins& bins) {
  std::vector<double> widths = bins.width;
  std::sort(widths.begin(), widths.end());
  const double resolution = 360.0 / widths[widths.size() / 2];
  int best = kDivisorsOf360.back();
  for (const int divisor : kDivisorsOf360) {
    if (std::fabs(divisor - resolution) <= std::fabs(best - resolution)) best = divisor;
  }
  return best;
}

EmepConversion ConvertToEmep(const swan::SwanFile& file, const swan::TimeStep& time,
                             std::span<const std::size_t> locations, const swan::DirectionBins& bins, int mdd,
                             double scale, swan::Offshore offshore) {
  EmepConversion out;
  out.model = file.model;
  out.mdd = mdd;
  out.swan_frequencies = file.frequencies;
  const std::size_t nf = file.frequencies.size();
  const std::size_t nd = file.directions.size();
  const std::size_t grid_size = static_cast<std::size_t>(mdd);
  const double step = 360.0 / static_cast<double>(mdd);
  std::vector<GridWeight> weights = GridWeights(bins, mdd);
  const bool drop = offshore == swan::Offshore::kDrop;
  if (drop) {
    for (std::size_t j = 0; j < grid_size; ++j) {
      if (std::fabs(emep_layout::Direction(static_cast<int>(j) + 1, mdd)) > swan::kOnshoreLimit)
        weights[j].inside = false;
    }
  }

  std::vector<double> cosine(nd), sine(nd);
  for (std::size_t r = 0; r < nd; ++r) {
    cosine[r] = std::cos(bins.theta[r] * kDegree);
    sine[r] = std::sin(bins.theta[r] * kDegree);
  }

  for (const std::size_t index : locations) {
    const swan::LocationBlock& block = time.locations[index];
    EmepPoint& point = out.points.emplace_back();
    point.location = index + 1;
    point.zero = block.kind == swan::BlockKind::kZero;
    point.S = swan::FrequencySpectrum(file, bins, block, scale, offshore);
    point.D.assign(nf * grid_size, 0.0);
    if (block.kind != swan::BlockKind::kValues) continue;
    for (std::size_t i = 0; i < nf; ++i) {
      const double* E = block.values.data() + i * nd;
      double* D = point.D.data() + i * grid_size;
      double sum = 0.0;
      for (std::size_t j = 0; j < grid_size; ++j) {
        const GridWeight& w = weights[j];
        if (!w.inside) continue;
        const double left = E[bins.source[w.left]];
        D[j] = w.t == 0.0 ? left : (1.0 - w.t) * left + w.t * E[bins.source[w.right]];
        sum += D[j];
      }
      if (!(point.S[i] > 0.0)) {
        std::fill(D, D + grid_size, 0.0);
        continue;
      }
      if (sum > 0.0) {
        const double factor = point.S[i] / (sum * step);
        for (std::size_t j = 0; j < grid_size; ++j) D[j] *= factor;
        continue;
      }
      // All the energy of this frequency lies between grid directions.
      double a = 0.0, b = 0.0;
      for (std::size_t r = 0; r < nd; ++r) {
        a += E[bins.source[r]] * bins.width[r] * cosine[r];
        b += E[bins.source[r]] * bins.width[r] * sine[r];
      }
      double mean = std::atan2(b, a) / kDegree;
      if (drop) mean = std::clamp(mean, -swan::kOnshoreLimit, swan::kOnshoreLimit);
      const long turns = std::lround((mean + 180.0) / step) % mdd;
      std::size_t nearest = static_cast<std::size_t>(turns < 0 ? turns + mdd : turns);
      // Rounding may step past +-90 when the grid has no node on it.
      if (drop && emep_layout::Direction(static_cast<int>(nearest) + 1, mdd) > swan::kOnshoreLimit) --nearest;
      if (drop && emep_layout::Direction(static_cast<int>(nearest) + 1, mdd) < -swan::kOnshoreLimit) ++nearest;
      D[nearest] = point.S[i] / step;
      ++out.lumped_frequencies;
    }
    for (const double value : point.D) out.largest_value = std::max(out.largest_value, value);
  }

  std::vector<std::vector<double>> tables;
  tables.reserve(out.points.size());
  for (const EmepPoint& point : out.points) tables.push_back(point.S);
  out.refinement = ChooseRefinement(file.frequencies, tables, kEmepFormat);
  return out;
}

SspeTable ConvertToSspe(const swan::SwanFile& file, const swan::ModelFrame& frame, std::size_t location,
                        const swan::LocationBlock& block, const swan::SeaState& state, double scale,
                        swan::Offshore offshore) {
  SspeTable table;
  table.location = location;
  table.h13 = state.hm0;
  table.t13 = state.tp.value_or(0.0) / kPeakPeriodRatio;
  table.direction = state.mean_direction.value_or(0.0);
  table.S = swan::LocationSpectrum(file, frame, block, scale, offshore);
  const std::vector<double> tables[] = {table.S};
  table.refinement = ChooseRefinement(file.frequencies, tables, kSspeFormat);
  return table;
}

}  // namespace wavecomp::importer
