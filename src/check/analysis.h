// The check of a component file: measured statistics of every point and,
// where the file or the options say what it should hold, the targets.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "check/component_file.h"
#include "check/expectations.h"
#include "check/statistics.h"

namespace wavecomp::check {

struct PointCheck {
  PointStatistics measured;
  std::optional<BandEnergy> target_energy;      // with a target spectrum
  std::optional<double> target_peak_frequency;  // Hz
  std::optional<DirectionStatistics> target_directions;
  std::vector<double> expected_cells;  // kDirectionCells probabilities; empty when unknown or unspread
};

// Whether the trailer says the run spread the spectrum over directions.
enum class Spreading { kSpread, kNotSpread, kUnknown };

struct CheckResult {
  ComponentFile file;
  std::vector<PointCheck> points;  // one per point of the file
  std::optional<TargetSpectrum> target;
  Spreading spreading = Spreading::kUnknown;  // single-point files with a JNS or Sspe trailer
  std::vector<std::string> notes;             // what the reader of the summary should know
};

// Checks the file against `target` (from --spectrum) or, when none is
// given, against what its trailer says.
CheckResult Analyse(ComponentFile file, std::optional<TargetSpectrum> target);

}  // namespace wavecomp::check
