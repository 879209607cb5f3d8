// The check of a component file: measured statistics of every point and,
// where the file or the options say what it should hold, the targets.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "check/component_file.h"
#include "check/expectations.h"
#include "check/series_run.h"
#include "check/spectrum_file.h"
#include "check/statistics.h"

namespace wavecomp::check {

struct PointCheck {
  PointStatistics measured;
  std::optional<BandEnergy> target_energy;      // with a target spectrum
  std::optional<double> target_peak_frequency;  // Hz
  std::optional<DirectionStatistics> target_directions;
  std::vector<double> expected_cells;  // kDirectionCells probabilities; empty when unknown or unspread
};

// Where the expected directions come from: the trailer says whether the run
// spread the spectrum (JNS, Sspe), or directional data were given, or a SWAN
// file (its mean direction and spread only).
enum class Spreading { kSpread, kNotSpread, kUnknown, kFromData, kFromSwan };

struct CheckResult {
  ComponentFile file;
  std::vector<PointCheck> points;             // one per point of the file
  std::optional<TargetSpectra> target;        // from --spectrum, or the JONSWAP of a JNS trailer
  Spreading spreading = Spreading::kUnknown;  // single-point files with a JNS or Sspe trailer; kFromData
  std::vector<std::string> notes;             // what the reader of the summary should know
  std::optional<FileSeries> series;           // the time-domain check, with --series

  // What point v (0-based) is compared with; nullptr for nothing.
  const PointTarget* TargetOf(std::size_t v) const { return target ? target->For(v) : nullptr; }
  // Measured minus target mean direction (degrees); a SWAN target may point
  // offshore, so that difference is taken the short way round.
  double DirectionDifference(double measured, double target) const;
};

// The lowest and highest Hm0 along the points (0-based) and their mean; the
// points must not be empty.
struct Hm0Along {
  std::size_t lowest = 0, highest = 0;
  double mean = 0.0;
};
Hm0Along Hm0AlongThePoints(const CheckResult& result);

// Checks the file against `target` (from --spectrum) or, when none is
// given, against what its trailer says. Every point of the file meets the
// target of the same place in the list of Emep or Ene data.
CheckResult Analyse(ComponentFile file, std::optional<TargetSpectra> target);

}  // namespace wavecomp::check
