// Glossary: v = point 1..num_p, l = frequency 1..n, j = direction of the
// value's table (0-based there), k = kept direction 1..K.
#include "resample/input_tables.h"

#include <algorithm>
#include <stdexcept>

#include "textio/format.h"

namespace wavecomp {
namespace {

constexpr double kEneEndNode = 90.0;  // the end nodes of the Ene direction interpolation

void Require(bool holds, const char* what) {
  if (!holds) throw std::invalid_argument(what);
}

// What a value built in memory might hold beyond the workspace's tables; the
// readers refuse such files with their own messages first.
void CheckCapacity(const SpectrumData& data) {
  Require(data.points.size() <= static_cast<std::size_t>(kMaxPoints), "more points than a run takes (2048)");
  Require(data.table_frequencies() <= static_cast<std::size_t>(kMaxFrequencies) &&
              data.frequencies.size() <= static_cast<std::size_t>(kMaxFrequencies),
          "more frequencies than a run takes (3000)");
  const std::size_t most_directions =
      static_cast<std::size_t>(data.input == SpectrumInput::kEnergyBalancePoints ? kMaxKeptDirections : kMaxDirections);
  for (const SpectrumPoint& point : data.points) {
    Require(point.directions.size() <= most_directions, "more directions than a run takes");
    Require(point.frequencies.size() == data.table_frequencies(), "points with tables of different lengths");
  }
  if (data.input == SpectrumInput::kEnergyBalancePoints) {
    Require(data.bandwidths.size() == data.frequencies.size(), "an Ene value needs one bandwidth per frequency");
  }
}

void FillFrequencyTable(const SpectrumData& data, InputSpectrum& input) {
  Require(data.points.size() == 1, "a frequency table is one point");
  const SpectrumPoint& point = data.points.front();
  const int n = static_cast<int>(point.frequencies.size());
  for (int l = 1; l <= n; ++l) {
    input.f_in[l] = point.frequencies[static_cast<std::size_t>(l - 1)];
    input.S_in[l] = point.density[static_cast<std::size_t>(l - 1)];
  }
  input.n_in = n;
}

void KeepPoints(const SpectrumData& data, PointSpectra& points) {
  const int num_p = data.points.empty() ? std::min(data.listed_points, 0) : static_cast<int>(data.points.size());
  for (int v = 1; v <= num_p; ++v) {
    const SpectrumPoint& point = data.points[static_cast<std::size_t>(v - 1)];
    points.point_numbers[v] = point.number;
    points.second_keys[v] = point.key;
    std::copy(point.density.begin(), point.density.end(), points.point_spectra.column(v) + 1);
  }
  points.num_p = num_p;
}

// Emep: the mean of the points' tables, on the directions facing the shore.
void FillDirectionalPoints(const SpectrumData& data, InputSpectrum& input, PointSpectra& points,
                           InputDirections& directions) {
  KeepPoints(data, points);
  const int num_p = points.num_p;
  const int nss = static_cast<int>(data.table_frequencies());
  const std::size_t n = static_cast<std::size_t>(nss);
  std::fill_n(input.f_in + 1, nss, 0.0);
  std::fill_n(input.S_in + 1, nss, 0.0);
  for (const SpectrumPoint& point : data.points) {
    for (int l = 1; l <= nss; ++l) {
      input.f_in[l] += point.frequencies[static_cast<std::size_t>(l - 1)];
      input.S_in[l] += point.density[static_cast<std::size_t>(l - 1)];
    }
  }
  for (int l = 1; l <= nss; ++l) {
    input.f_in[l] /= static_cast<double>(num_p);
    input.S_in[l] /= static_cast<double>(num_p);
  }
  int kept = 0;
  if (num_p >= 1) {
    const std::vector<double>& all = data.points.front().directions;
    for (std::size_t j = 0; j < all.size(); ++j) {
      if (!FacesShore(all[j])) continue;
      ++kept;
      directions.kept_directions[kept] = all[j];
      double* column = directions.directional_values.column(kept);
      for (std::size_t l = 1; l <= n; ++l) column[l] = data.table_sum[j * n + l - 1] / static_cast<double>(num_p);
    }
  }
  directions.kept_direction_count = kept;
  input.n_in = nss;
  points.nss = nss;
}

// Every direction strictly between the end nodes, ascending.
bool DirectionsInsideEndNodes(const InputDirections& directions) {
  double previous = -kEneEndNode;
  for (std::int32_t k = 1; k <= directions.kept_direction_count; ++k) {
    if (!(directions.kept_directions[k] > previous)) return false;
    previous = directions.kept_directions[k];
  }
  return previous < kEneEndNode;
}

std::string EndNodeWarning(const std::string& name, const InputDirections& directions) {
  const std::int32_t K = directions.kept_direction_count;
  return name + ": the directions of the direction groups run from " +
         textio::PlainNumber(directions.kept_directions[1]) + " to " +
         textio::PlainNumber(directions.kept_directions[K]) +
         " deg; the direction interpolation adds end nodes at -90 and +90 deg, so a list that holds -90 or +90 "
         "(or goes beyond them, or does not rise) gives it no usable table: every directional value becomes 0 and "
         "every component travels shore-normal (direction 0). To keep the directions of the data, give directions "
         "strictly between -90 and +90 (for example the centres of the direction bins), or write the spectra as "
         "Emep data, whose end nodes lie at +-90.5 deg";
}

// Ene: the mean energy over the points as a density per bandwidth and
// direction step, on every direction of the last point (all points give the
// same list in a model's file).
void FillEnergyBalancePoints(const SpectrumData& data, InputSpectrum& input, PointSpectra& points,
                             InputDirections& directions, const std::string& source_name, const WarningSink& warn) {
  KeepPoints(data, points);
  const int num_p = points.num_p;
  const std::size_t n = data.frequencies.size();
  double* const kept_bandwidths = points.point_spectra.column(0);
  for (std::size_t l = 1; l <= n; ++l) {
    kept_bandwidths[l] = data.bandwidths[l - 1];
    input.f_in[l] = data.frequencies[l - 1];
    input.S_in[l] = 0.0;
  }
  input.n_in = static_cast<std::int32_t>(n);
  points.nss = static_cast<std::int32_t>(n);
  if (num_p < 1) {
    // Neither an average nor a direction list: the later stages run on
    // defined values and the chain reports the missing points.
    directions.kept_direction_count = 0;
    return;
  }
  const std::vector<double>& last = data.points.back().directions;
  const int nd = static_cast<int>(last.size());
  const double dtheta = EnergyBalanceDirectionStep(nd);
  for (int k = 1; k <= nd; ++k) {
    directions.kept_directions[k] = last[static_cast<std::size_t>(k - 1)];
    const double* sums = data.table_sum.data() + static_cast<std::size_t>(k - 1) * n;
    double* values = directions.directional_values.column(k);
    for (std::size_t l = 1; l <= n; ++l) {
      values[l] = sums[l - 1] / num_p / data.bandwidths[l - 1] / dtheta;
      input.S_in[l] += values[l] * dtheta;
    }
  }
  directions.kept_direction_count = nd;
  if (warn && !DirectionsInsideEndNodes(directions)) warn(EndNodeWarning(source_name, directions));
}

}  // namespace

void FillInputTables(const SpectrumData& data, InputSpectrum& input, PointSpectra& points, InputDirections& directions,
                     const std::string& source_name, const WarningSink& warn) {
  CheckCapacity(data);
  switch (data.input) {
    case SpectrumInput::kNothing:
      break;
    case SpectrumInput::kFrequencyTable:
      FillFrequencyTable(data, input);
      break;
    case SpectrumInput::kDirectionalPoints:
      FillDirectionalPoints(data, input, points, directions);
      break;
    case SpectrumInput::kEnergyBalancePoints:
      FillEnergyBalancePoints(data, input, points, directions, source_name, warn);
      break;
  }
}

}  // namespace wavecomp
