#include "check/analysis/analysis.h"

#include <algorithm>
#include <cmath>

#include "core/workspace.h"
#include "input/swan_sea_state.h"
#include "output/component_records.h"
#include "synthesis/numerics.h"
#include "textio/format.h"

namespace wavecomp::check {
namespace {

using component_layout::kJonswapCode;
using component_layout::kTabulatedCode;

// The kind of target a JNS trailer gives.
constexpr const char* kJonswapTarget = "JONSWAP";

// Below this share of a SWAN location's energy within the components' bands
// the run's frequency range visibly cut the table.
constexpr double kSwanBandShare = 0.99;

std::vector<double> Energies(const PointComponents& point) {
  std::vector<double> energy(point.size());
  for (std::size_t i = 0; i < point.size(); ++i) energy[i] = 0.5 * point.a[i] * point.a[i];
  return energy;
}

// Every direction is exactly zero: what an unspread JNS or Sspe run writes.
bool AllDirectionsZero(const PointComponents& point) {
  return std::all_of(point.theta.begin(), point.theta.end(), [](double t) { return t == 0.0; });
}

std::string Percent(double share) { return textio::BoundedFixedNumber(100.0 * share, 2) + " %"; }

DirectionStatistics Unidirectional() {
  DirectionStatistics statistics;
  statistics.defined = true;
  statistics.shares.fill(1.0);
  return statistics;
}

// Directional data: every point is expected to follow its own directional
// spectrum; the points of the file and the data are paired in order.
void PairPoints(CheckResult& result) {
  const TargetSpectra& target = *result.target;
  result.spreading = Spreading::kFromData;
  const std::size_t file_points = result.file.points.size();
  if (target.points.size() != file_points) {
    result.notes.push_back(target.label + " gives " + std::to_string(target.points.size()) +
                           (target.points.size() == 1 ? " point" : " points") + ", the component file " +
                           std::to_string(file_points) + ": only the first " +
                           std::to_string(std::min(file_points, target.points.size())) + " are compared");
  }
  std::size_t differing = 0;
  for (std::size_t v = 0; v < std::min(file_points, target.points.size()); ++v) {
    if (result.file.layout == FileLayout::kMultiPoint &&
        result.file.points[v].point_number != target.points[v].point_number) {
      ++differing;
    }
  }
  if (differing > 0) {
    result.notes.push_back(std::to_string(differing) + (differing == 1 ? " point carries" : " points carry") +
                           " another point number than the data's point at the same place: compared in order");
  }
  result.notes.push_back(
      "expected directions: each point's own directional spectrum, brought onto the direction nodes by wavecomp's "
      "own interpolation at the file's frequencies (a run draws the directions of every point from the average of "
      "the points)");
}

// A SWAN location: its own Hm0 and Tp over its whole table rather than the
// components' bands, so that the check shows what SWAN and the importer
// show; true when the bands hold visibly less than the table.
bool CompareWithSwan(const PointTarget& target, const PointComponents& point, PointCheck& check) {
  const swan::SeaState& state = *target.sea_state;
  const std::vector<double>& f = target.spectrum.f();
  check.target_energy = BandEnergy{f.front(), f.back(), state.m0, state.hm0, std::nullopt};
  check.target_peak_frequency = state.peak_frequency;
  if (state.mean_direction) {
    DirectionStatistics directions;
    directions.defined = true;
    directions.mean_deg = *state.mean_direction;
    directions.spread_deg = state.spread;
    check.target_directions = directions;
  }
  const std::optional<BandEnergy> bands = TargetBandEnergy(target.spectrum, point.f, point.a);
  return bands && bands->m0 < kSwanBandShare * state.m0;
}

// Above this share of the cos^2s curve beyond +-90 degrees the cut moves
// the mean direction visibly (wavecomp warns at the same share).
constexpr double kCutShareNote = 0.05;

// What the spreading stage did with a principal direction near or beyond
// the ends of its node range (-90..+90 degrees).
void NoteSpreadDirections(const Trailer& trailer, const PointComponents& point, std::vector<std::string>& notes) {
  const double Dirc_deg = trailer.Dirc / kDegree;
  const std::string principal = "the trailer's Dirc. " + textio::BoundedFixedNumber(trailer.Dirc, 6) + " rad (" +
                                textio::BoundedFixedNumber(Dirc_deg, 2) + " deg)";
  if (!(std::fabs(Dirc_deg) <= 90.0)) {
    notes.push_back(principal + " lies beyond +-90 deg, where wavecomp's cos^2s spreading has no value" +
                    (AllDirectionsZero(point)
                         ? std::string(": every component travels at 0 deg (shore-normal, not spread), not in the "
                                       "direction asked for")
                         : std::string(": no expected distribution")));
    return;
  }
  const std::optional<double> cut = SpreadingCutShare(point.f, Energies(point), *trailer.Smax, trailer.T13, Dirc_deg);
  if (!cut || !(*cut > kCutShareNote)) return;
  notes.push_back(Percent(*cut) + " of the cos^2s spreading around " + principal +
                  " lies beyond +-90 deg and is cut off by wavecomp, the rest scaled up to hold the energy: the "
                  "components follow that cut curve (the expected distribution above), narrower than cos^2s" +
                  (Dirc_deg != 0.0 ? " and with a mean direction nearer 0 than Dirc." : ""));
}

void DecideTargets(CheckResult& result) {
  if (result.target && result.target->type) PairPoints(result);
  if (result.target && result.target->swan) result.spreading = Spreading::kFromSwan;
  const ComponentFile& file = result.file;
  if (file.layout != FileLayout::kSinglePoint || !file.trailer) return;
  const Trailer& trailer = *file.trailer;
  const PointComponents& point = file.points.front();

  if (trailer.kind == TrailerKind::kJonswap && point.spectrum_code != kJonswapCode) {
    result.notes.push_back("the JNS trailer goes with spectrum code 3, but record 2 holds " +
                           std::to_string(point.spectrum_code));
  }
  if (trailer.kind != TrailerKind::kJonswap && point.spectrum_code != kTabulatedCode) {
    result.notes.push_back("this trailer goes with spectrum code 9, but record 2 holds " +
                           std::to_string(point.spectrum_code));
  }

  if (trailer.kind == TrailerKind::kJonswap && !result.target) {
    if (trailer.gamma && *trailer.gamma > 0.0 && trailer.T13 > 0.0 && std::isfinite(trailer.H13)) {
      const double f_low = point.size() > 0 ? *std::min_element(point.f.begin(), point.f.end()) : 0.0;
      const double f_high = point.size() > 0 ? *std::max_element(point.f.begin(), point.f.end()) : 0.0;
      TargetSpectra jonswap{"JONSWAP", kJonswapTarget, std::nullopt, {}, {}, {}};
      jonswap.points.push_back(
          PointTarget{0, TargetSpectrum::Jonswap(trailer.H13, trailer.T13, *trailer.gamma, f_low, f_high), {}, {}});
      result.target = std::move(jonswap);
    } else {
      result.notes.push_back("the trailer's T1/3 and gamma give no JONSWAP spectrum (both must be above 0)");
    }
  }

  if (trailer.kind == TrailerKind::kEmepOrEne) {
    if (result.spreading != Spreading::kFromData && result.spreading != Spreading::kFromSwan) {
      result.notes.push_back(
          "Emep and Ene runs take their directions from measured spectra: no expected distribution (give the data "
          "file with --spectrum)");
    }
    return;
  }
  if (result.spreading == Spreading::kFromData || result.spreading == Spreading::kFromSwan) return;
  if (trailer.Smax) {
    result.spreading = Spreading::kSpread;
  } else if (AllDirectionsZero(point)) {
    result.spreading = Spreading::kNotSpread;
    result.notes.push_back(
        "Smax is shown as asterisks (100 or more) and every direction is 0: not spread (Smax 999 or more)");
    if (trailer.Dirc != 0.0) {
      result.notes.push_back("the trailer's Dirc. " + textio::BoundedFixedNumber(trailer.Dirc, 2) +
                             " deg is not used: a run that does not spread sends every component at 0 deg "
                             "(shore-normal), whatever its principal direction");
    }
  } else {
    result.spreading = Spreading::kUnknown;
    result.notes.push_back(
        "Smax is shown as asterisks (100 or more, below 999 since the directions are spread): no expected "
        "distribution");
  }
}

}  // namespace

CheckResult Analyse(ComponentFile file, std::optional<TargetSpectra> target) {
  CheckResult result;
  result.file = std::move(file);
  result.target = std::move(target);
  DecideTargets(result);
  if (result.target) {
    for (const std::string& note : result.target->notes) result.notes.push_back(note);
  }
  WorkspacePtr workspace;  // the direction interpolation's tables, made when first needed

  const ComponentFile& components = result.file;
  result.points.resize(components.points.size());
  std::size_t not_ascending = 0;
  std::size_t phases_outside = 0;
  std::size_t no_directions = 0;
  std::vector<std::string> short_bands;
  std::vector<std::size_t> cut_targets;
  for (std::size_t v = 0; v < components.points.size(); ++v) {
    const PointComponents& point = components.points[v];
    PointCheck& check = result.points[v];
    check.measured = ComputeStatistics(point.f, point.a, point.theta, point.phase);
    if (!check.measured.ascending) ++not_ascending;
    phases_outside += check.measured.phases.outside;
    const PointTarget* point_target = result.TargetOf(v);
    if (point_target && point.size() > 0 && point_target->sea_state) {
      if (CompareWithSwan(*point_target, point, check)) short_bands.push_back(std::to_string(point.point_number));
    } else if (point_target && point.size() > 0) {
      // A JNS trailer stands for the whole JONSWAP spectrum, not only the
      // part that the run's fmin and fmax kept.
      check.target_energy = result.target->kind == kJonswapTarget
                                ? WholeTargetEnergy(point_target->spectrum, point.f, point.a)
                                : TargetBandEnergy(point_target->spectrum, point.f, point.a);
      if (check.target_energy && check.target_energy->outside_share &&
          *check.target_energy->outside_share > kOutsideShareFlag) {
        cut_targets.push_back(v);
      }
      check.target_peak_frequency = point_target->spectrum.PeakFrequency();
    }
    if (result.spreading == Spreading::kFromData) {
      if (point_target && point_target->directional && point.size() > 0) {
        if (!workspace) workspace = MakeWorkspace();
        std::optional<std::vector<double>> cells = InterpolatedDirectionCells(
            *result.target->type, *point_target->directional, point.f, Energies(point), *workspace);
        if (cells) {
          check.target_directions = CellStatistics(*cells, kDirectionCellFirst, kDirectionCellWidth);
          check.expected_cells = std::move(*cells);
        } else {
          ++no_directions;
        }
      }
    } else if (result.spreading == Spreading::kNotSpread) {
      check.target_directions = Unidirectional();
    } else if (result.spreading == Spreading::kSpread && point.size() > 0) {
      const Trailer& trailer = *components.trailer;
      NoteSpreadDirections(trailer, point, result.notes);
      std::optional<std::vector<double>> cells =
          SpreadDirectionCells(point.f, Energies(point), *trailer.Smax, trailer.T13, trailer.Dirc / kDegree);
      if (cells) {
        check.target_directions = CellStatistics(*cells, kDirectionCellFirst, kDirectionCellWidth);
        check.expected_cells = std::move(*cells);
      } else {
        result.notes.push_back(
            "the expected directions could not be computed (more components than the spreading stage holds)");
      }
    }
  }
  for (const std::size_t v : cut_targets) {
    const BandEnergy& energy = *result.points[v].target_energy;
    result.notes.push_back(
        Percent(*energy.outside_share) + " of the target energy lies outside the components' range " +
        textio::BoundedFixedNumber(energy.f_lower, 6) + " to " + textio::BoundedFixedNumber(energy.f_upper, 6) +
        " Hz (more than " + std::to_string(std::lround(100.0 * kOutsideShareFlag)) +
        " %): the run's fmin and fmax cut the spectrum, and the components carry Hm0 " +
        textio::BoundedFixedNumber(result.points[v].measured.Hm0, 6) + " m of the target's " +
        textio::BoundedFixedNumber(energy.Hm0, 6) + " m");
  }
  if (!short_bands.empty()) {
    std::string points;
    for (const std::string& number : short_bands) points += (points.empty() ? "" : ", ") + number;
    const std::string model = result.target && result.target->swan ? result.target->swan->model : "SWAN";
    result.notes.push_back("the components' bands hold less than " +
                           std::to_string(std::lround(100.0 * kSwanBandShare)) + " % of the " + model +
                           " energy at point " + points + ": fmin and fmax of the run leave part of the " + model +
                           " table out of its Hm0");
  }
  if (no_directions > 0) {
    result.notes.push_back(std::to_string(no_directions) + (no_directions == 1 ? " point has" : " points have") +
                           " no expected directions (more components, frequencies or directions than the "
                           "interpolation holds, or no energy)");
  }
  if (not_ascending > 0) {
    result.notes.push_back(std::to_string(not_ascending) + (not_ascending == 1 ? " point lists" : " points list") +
                           " frequencies that do not increase: the density between them is left out");
  }
  if (phases_outside > 0) {
    result.notes.push_back(std::to_string(phases_outside) +
                           " phases lie outside 0..2 pi (a negative random seed gives these); tested modulo 2 pi");
  }
  return result;
}

double CheckResult::DirectionDifference(double measured, double target_mean) const {
  const double difference = measured - target_mean;
  return spreading == Spreading::kFromSwan ? swan::WrapDegrees(difference) : difference;
}

Hm0Along Hm0AlongThePoints(const CheckResult& result) {
  Hm0Along along;
  double sum = 0.0;
  for (std::size_t v = 0; v < result.points.size(); ++v) {
    const double Hm0 = result.points[v].measured.Hm0;
    if (Hm0 < result.points[along.lowest].measured.Hm0) along.lowest = v;
    if (Hm0 > result.points[along.highest].measured.Hm0) along.highest = v;
    sum += Hm0;
  }
  along.mean = sum / static_cast<double>(result.points.size());
  return along;
}

std::vector<std::size_t> PlottedPoints(std::size_t point_count) {
  std::vector<std::size_t> points;
  if (point_count == 0) return points;
  points.push_back(0);
  if (point_count >= 3) points.push_back((point_count - 1) / 2);
  if (point_count >= 2) points.push_back(point_count - 1);
  return points;
}

}  // namespace wavecomp::check
