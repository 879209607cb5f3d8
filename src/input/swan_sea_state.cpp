#include "input/swan_sea_state.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

#include "synthesis/numerics.h"

namespace wavecomp::swan {
namespace {

// Nautical "from" direction of a wave travelling along SWAN's x-axis (East).
constexpr double kNauticalOfCartesianZero = 270.0;
// A gap between neighbouring directions this much wider than the usual one
// is the outside of a sector, not a step of the circle.
constexpr double kSectorGapRatio = 1.5;
// Part of [low, high] (degrees, anywhere on the unwrapped line) that lies
// within -90..+90 modulo 360.
double OnshoreOverlap(double low, double high) {
  double overlap = 0.0;
  for (int turn = -2; turn <= 2; ++turn) {
    const double centre = 360.0 * turn;
    const double a = std::max(low, centre - kOnshoreLimit);
    const double b = std::min(high, centre + kOnshoreLimit);
    if (b > a) overlap += b - a;
  }
  return overlap;
}

double NormalCdf(double x) { return 0.5 * std::erfc(-x / std::numbers::sqrt2); }

// Share of a normal spread of directions (mean theta, deviation sigma,
// degrees) that travels offshore, wrapped once each way.
double NormalOffshoreShare(double theta, double sigma) {
  if (!(sigma > 0.0)) return std::fabs(theta) > kOnshoreLimit ? 1.0 : (std::fabs(theta) == kOnshoreLimit ? 0.5 : 0.0);
  double onshore = 0.0;
  for (int turn = -1; turn <= 1; ++turn) {
    const double shift = 360.0 * turn - theta;
    onshore += NormalCdf((kOnshoreLimit + shift) / sigma) - NormalCdf((-kOnshoreLimit + shift) / sigma);
  }
  return std::clamp(1.0 - onshore, 0.0, 1.0);
}

// Index of the largest value (the first of equal ones).
std::size_t PeakIndex(std::span<const double> S) {
  return static_cast<std::size_t>(std::max_element(S.begin(), S.end()) - S.begin());
}

void SetPeak(const SwanFile& file, std::span<const double> S, SeaState& state, std::size_t& peak) {
  peak = PeakIndex(S);
  if (!(state.m0 > 0.0)) return;
  state.hm0 = 4.0 * std::sqrt(state.m0);
  state.peak_frequency = file.frequencies[peak];
  state.tp = 1.0 / file.frequencies[peak];
}

void SetDirections(double a, double b, double energy, SeaState& state) {
  if (!(energy > 0.0)) return;
  state.mean_direction = WrapDegrees(std::atan2(b, a) / kDegree);
  const double R = std::min(1.0, std::hypot(a, b) / energy);
  state.spread = std::sqrt(2.0 * (1.0 - R)) / kDegree;
}

double Hm0Of(double m0) { return m0 > 0.0 ? 4.0 * std::sqrt(m0) : 0.0; }

// The share of 1D row i's energy that travels onshore: 1 for a row without
// direction or spreading, which cannot be told.
double OnshoreShare1D(const SwanFile& file, const ModelFrame& frame, const Row1D& row) {
  if (row.direction_missing || row.spreading_missing) return 1.0;
  return 1.0 - NormalOffshoreShare(ModelDirection(frame, row.direction, file.direction_convention), row.spreading);
}

}  // namespace

const char* OffshoreName(Offshore offshore) { return offshore == Offshore::kDrop ? "drop" : "keep"; }

std::optional<Offshore> ParseOffshore(std::string_view text) {
  if (text == "drop") return Offshore::kDrop;
  if (text == "keep") return Offshore::kKeep;
  return std::nullopt;
}

double WrapDegrees(double degrees) {
  double angle = std::fmod(degrees, 360.0);
  if (angle > 180.0) angle -= 360.0;
  if (angle <= -180.0) angle += 360.0;
  return angle;
}

double ModelDirection(const ModelFrame& frame, double degrees, DirectionConvention convention) {
  // Counterclockwise angle from the model axis of a wave coming from `from`:
  // normal_from - from; Cartesian directions give from = 270 - degrees.
  const double counterclockwise = convention == DirectionConvention::kNautical
                                      ? frame.normal_from - degrees
                                      : frame.normal_from - kNauticalOfCartesianZero + degrees;
  return WrapDegrees(frame.clockwise ? -counterclockwise : counterclockwise);
}

double NauticalFrom(const ModelFrame& frame, double theta) {
  double from = std::fmod(frame.clockwise ? frame.normal_from + theta : frame.normal_from - theta, 360.0);
  if (from < 0.0) from += 360.0;
  return from;
}

DirectionBins ModelBins(const SwanFile& file, const ModelFrame& frame) {
  const std::size_t n = file.directions.size();
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::vector<double> theta(n);
  for (std::size_t j = 0; j < n; ++j) theta[j] = ModelDirection(frame, file.directions[j], file.direction_convention);
  std::sort(order.begin(), order.end(), [&](std::size_t l, std::size_t r) { return theta[l] < theta[r]; });

  // gap[k] runs from sorted bin k to the next one round the circle.
  std::vector<double> gap(n);
  for (std::size_t k = 0; k < n; ++k) {
    const double next = k + 1 < n ? theta[order[k + 1]] : theta[order[0]] + 360.0;
    gap[k] = next - theta[order[k]];
  }
  std::vector<double> sorted_gaps = gap;
  std::sort(sorted_gaps.begin(), sorted_gaps.end());
  const double median = sorted_gaps[n / 2];
  const std::size_t widest = static_cast<std::size_t>(std::max_element(gap.begin(), gap.end()) - gap.begin());

  DirectionBins bins;
  bins.full_circle = !(gap[widest] > kSectorGapRatio * median);
  const std::size_t first = bins.full_circle ? 0 : (widest + 1) % n;
  for (std::size_t r = 0; r < n; ++r) {
    const std::size_t k = (first + r) % n;
    double angle = theta[order[k]];
    if (!bins.theta.empty() && angle < bins.theta.back()) angle += 360.0;
    bins.theta.push_back(angle);
    bins.source.push_back(order[k]);
  }
  bins.width.resize(n);
  for (std::size_t r = 0; r < n; ++r) {
    const std::size_t k = (first + r) % n;
    const double after = gap[k];
    const double before = gap[(k + n - 1) % n];
    if (bins.full_circle) {
      bins.width[r] = 0.5 * (before + after);
    } else if (r == 0) {
      bins.width[r] = after;
    } else if (r + 1 == n) {
      bins.width[r] = before;
    } else {
      bins.width[r] = 0.5 * (before + after);
    }
  }
  return bins;
}

double VarianceScale(const SwanFile& file, double rho, double g) { return file.energy_density ? 1.0 / (rho * g) : 1.0; }

std::vector<double> TrapezoidWeights(std::span<const double> f) {
  const std::size_t n = f.size();
  std::vector<double> w(n, 0.0);
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const double half = 0.5 * (f[i + 1] - f[i]);
    w[i] += half;
    w[i + 1] += half;
  }
  return w;
}

std::vector<double> OnshoreFractions(const DirectionBins& bins) {
  std::vector<double> onshore(bins.theta.size());
  for (std::size_t r = 0; r < onshore.size(); ++r) {
    const double half = 0.5 * bins.width[r];
    onshore[r] = OnshoreOverlap(bins.theta[r] - half, bins.theta[r] + half) / bins.width[r];
  }
  return onshore;
}

std::vector<double> FrequencySpectrum(const SwanFile& file, const DirectionBins& bins, const LocationBlock& block,
                                      double scale, Offshore offshore) {
  const std::size_t nf = file.frequencies.size();
  const std::size_t nd = file.directions.size();
  std::vector<double> S(nf, 0.0);
  if (block.kind != BlockKind::kValues) return S;
  std::vector<double> width = bins.width;
  if (offshore == Offshore::kDrop) {
    const std::vector<double> onshore = OnshoreFractions(bins);
    for (std::size_t r = 0; r < nd; ++r) width[r] *= onshore[r];
  }
  for (std::size_t i = 0; i < nf; ++i) {
    double sum = 0.0;
    for (std::size_t r = 0; r < nd; ++r) sum += block.values[i * nd + bins.source[r]] * width[r];
    S[i] = sum * scale;
  }
  return S;
}

std::vector<double> LocationSpectrum(const SwanFile& file, const ModelFrame& frame, const LocationBlock& block,
                                     double scale, Offshore offshore) {
  if (file.two_dimensional) return FrequencySpectrum(file, ModelBins(file, frame), block, scale, offshore);
  std::vector<double> S(file.frequencies.size(), 0.0);
  if (block.kind != BlockKind::kValues) return S;
  for (std::size_t i = 0; i < S.size(); ++i) {
    S[i] = block.rows[i].density * scale;
    if (offshore == Offshore::kDrop) S[i] *= OnshoreShare1D(file, frame, block.rows[i]);
  }
  return S;
}

SeaState SeaState2D(const SwanFile& file, const DirectionBins& bins, const LocationBlock& block, double scale,
                    Offshore offshore) {
  SeaState state;
  const std::vector<double> whole = FrequencySpectrum(file, bins, block, scale);
  const std::vector<double> S = FrequencySpectrum(file, bins, block, scale, offshore);
  const std::vector<double> w = TrapezoidWeights(file.frequencies);
  double total = 0.0;
  for (std::size_t i = 0; i < S.size(); ++i) {
    state.m0 += S[i] * w[i];
    total += whole[i] * w[i];
  }
  std::size_t peak = 0;
  SetPeak(file, S, state, peak);
  state.total_hm0 = Hm0Of(total);
  state.onshore_hm0 = state.total_hm0;
  if (block.kind != BlockKind::kValues) return state;

  const std::size_t nd = file.directions.size();
  const std::vector<double> onshore = OnshoreFractions(bins);
  std::vector<double> cosine(nd), sine(nd), kept(nd);
  for (std::size_t r = 0; r < nd; ++r) {
    cosine[r] = std::cos(bins.theta[r] * kDegree);
    sine[r] = std::sin(bins.theta[r] * kDegree);
    kept[r] = offshore == Offshore::kDrop ? onshore[r] : 1.0;
  }
  double a = 0.0, b = 0.0, on = 0.0, off = 0.0;
  for (std::size_t i = 0; i < S.size(); ++i) {
    double ai = 0.0, bi = 0.0, oni = 0.0, offi = 0.0;
    for (std::size_t r = 0; r < nd; ++r) {
      const double energy = block.values[i * nd + bins.source[r]] * bins.width[r];
      ai += energy * kept[r] * cosine[r];
      bi += energy * kept[r] * sine[r];
      oni += energy * onshore[r];
      offi += energy * (1.0 - onshore[r]);
    }
    a += ai * scale * w[i];
    b += bi * scale * w[i];
    on += oni * scale * w[i];
    off += offi * scale * w[i];
  }
  SetDirections(a, b, state.m0, state);
  state.onshore_hm0 = Hm0Of(on);
  if (total > 0.0) state.offshore_share = off / total;
  return state;
}

SeaState SeaState1D(const SwanFile& file, const ModelFrame& frame, const LocationBlock& block, double scale,
                    Offshore offshore) {
  SeaState state;
  const std::size_t nf = file.frequencies.size();
  const std::vector<double> whole = LocationSpectrum(file, frame, block, scale);
  const std::vector<double> S = LocationSpectrum(file, frame, block, scale, offshore);
  const std::vector<double> onshore = LocationSpectrum(file, frame, block, scale, Offshore::kDrop);
  const std::vector<double> w = TrapezoidWeights(file.frequencies);
  double total = 0.0, on = 0.0;
  for (std::size_t i = 0; i < nf; ++i) {
    state.m0 += S[i] * w[i];
    total += whole[i] * w[i];
    on += onshore[i] * w[i];
  }
  std::size_t peak = 0;
  SetPeak(file, S, state, peak);
  state.total_hm0 = Hm0Of(total);
  state.onshore_hm0 = Hm0Of(on);
  if (block.kind != BlockKind::kValues) return state;

  double a = 0.0, b = 0.0, energy = 0.0, off = 0.0, directed = 0.0;
  for (std::size_t i = 0; i < nf; ++i) {
    const Row1D& row = block.rows[i];
    if (!(whole[i] > 0.0)) continue;
    if (row.direction_missing || row.spreading_missing) {
      ++state.rows_left_out;
      continue;
    }
    const double theta = ModelDirection(frame, row.direction, file.direction_convention);
    const double sigma = row.spreading * kDegree;
    const double R = 1.0 - 0.5 * sigma * sigma;
    const double e = S[i] * w[i];
    a += e * R * std::cos(theta * kDegree);
    b += e * R * std::sin(theta * kDegree);
    energy += e;
    directed += whole[i] * w[i];
    off += whole[i] * w[i] * NormalOffshoreShare(theta, row.spreading);
  }
  SetDirections(a, b, energy, state);
  if (directed > 0.0) state.offshore_share = off / directed;

  // The spreading of the peak row, or of the nearest row that has one.
  for (std::size_t distance = 0; distance < nf && state.m0 > 0.0; ++distance) {
    for (const std::size_t i : {peak - distance, peak + distance}) {
      if (i >= nf || block.rows[i].spreading_missing || !(S[i] > 0.0)) continue;
      state.peak_spreading = block.rows[i].spreading;
      return state;
    }
  }
  return state;
}

SeaState LocationSeaState(const SwanFile& file, const ModelFrame& frame, const LocationBlock& block, double scale,
                          Offshore offshore) {
  if (!file.two_dimensional) return SeaState1D(file, frame, block, scale, offshore);
  return SeaState2D(file, ModelBins(file, frame), block, scale, offshore);
}

double SpreadingParameter(double sigma_degrees) {
  const double sigma = sigma_degrees * kDegree;
  return 2.0 / (sigma * sigma) - 1.0;
}

}  // namespace wavecomp::swan
