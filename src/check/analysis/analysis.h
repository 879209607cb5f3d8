// The check of a component file: measured statistics of every point and,
// where the file or the options say what it should hold, the targets.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "check/kernels/expectations.h"
#include "check/kernels/series_check.h"
#include "check/kernels/statistics.h"
#include "check/targets/component_file.h"
#include "check/targets/spectrum_file.h"

namespace wavecomp::check {

// The time grid of the records of a file, as PlanSeries (check/series_run.h)
// lays it out.
struct SeriesGrid {
  double duration_s = 0.0;
  double dt_s = 0.0;
  std::size_t samples = 0;  // t = k dt, k = 0..samples-1; 0 when no point has a positive frequency
};

// What the check says of a point whose largest autocorrelation exceeds
// kRepetitionWarning.
inline constexpr std::string_view kRepeatWarning =
    "the record repeats itself within its duration: use more components";

struct FileSeries {
  SeriesGrid grid;
  std::vector<std::optional<PointSeries>> points;  // nullopt: no component with a positive frequency
  std::size_t repeating = 0;                       // points whose record repeats itself
};

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

// The points (0-based) shown in full, in the plot and by the records whose
// curves are kept: every point of a file of one or two, else the first,
// middle and last.
std::vector<std::size_t> PlottedPoints(std::size_t point_count);

}  // namespace wavecomp::check
