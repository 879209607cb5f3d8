#include "core/spectrum_data.h"

#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

namespace wavecomp {

namespace {

// What the readers refuse with their own messages; a value built in memory
// meets the same rule here, so no stage sees what no file can give it.
void RequireDensities(std::span<const double> values, const char* what) {
  for (double value : values) {
    if (!std::isfinite(value) || value < 0.0)
      throw std::invalid_argument(std::string(what) + " finite and not below 0");
  }
}

void RequireFinite(std::span<const double> values, const char* what) {
  for (double value : values) {
    if (!std::isfinite(value)) throw std::invalid_argument(std::string(what) + " finite");
  }
}

}  // namespace

void SpectrumData::AddPoint(SpectrumPoint point, std::span<const double> table) {
  RequireFinite(point.frequencies, "the frequencies must be");
  RequireFinite(point.directions, "the directions must be");
  RequireDensities(table, "the directional values must be");
  if (input == SpectrumInput::kEnergyBalancePoints) {
    for (double width : bandwidths) {
      if (!(width > 0.0) || !std::isfinite(width)) throw std::invalid_argument("the bandwidths must be above 0");
    }
    if (point.frequencies.empty()) point.frequencies = frequencies;
    const std::size_t nf = point.frequencies.size();
    if (bandwidths.size() != nf || table.size() != nf * point.directions.size()) {
      throw std::invalid_argument(
          "an energy-balance point needs a bandwidth per frequency and an energy per "
          "frequency and direction");
    }
    // Summed over the directions in their order, as the run has always done.
    point.density.assign(nf, 0.0);
    for (std::size_t j = 0; j < point.directions.size(); ++j) {
      for (std::size_t l = 0; l < nf; ++l) point.density[l] += table[j * nf + l] / bandwidths[l];
    }
  }
  if (!table.empty() && table.size() != point.frequencies.size() * point.directions.size()) {
    throw std::invalid_argument("a directional table needs one value per frequency and direction");
  }
  if (point.density.size() != point.frequencies.size()) {
    throw std::invalid_argument("a point needs one density per frequency");
  }
  RequireDensities(point.density, "the densities must be");
  if (points.empty()) {
    table_sum.assign(table.size(), 0.0);
  } else if (table.size() != table_sum.size() || point.frequencies.size() != table_frequencies()) {
    throw std::invalid_argument("point " + std::to_string(points.size() + 1) +
                                " has a table of another size than the first point's");
  }
  for (std::size_t n = 0; n < table.size(); ++n) table_sum[n] += table[n];
  if (keep_point_tables) point.table.assign(table.begin(), table.end());
  points.push_back(std::move(point));
}

}  // namespace wavecomp
