// What a component file is compared with, whichever kind of file gave it
// (spectrum_file.h, swan_target.h): the target of each point and what the
// command line adds for a SWAN file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "check/kernels/expectations.h"
#include "core/settings.h"
#include "input/point_list.h"
#include "input/swan_sea_state.h"

namespace wavecomp::check {

// What one point of a component file is compared with.
struct PointTarget {
  std::int32_t point_number = 0;  // from the point list; 0 when the file gives none
  TargetSpectrum spectrum;        // its frequency spectrum
  // Its directional spectrum as the run reads it (Emep and Ene data only).
  std::optional<PointInput> directional;
  // The statistics of its SWAN location (point_number), model frame.
  std::optional<swan::SeaState> sea_state;
};

// Where SWAN targets come from.
struct SwanSource {
  swan::ModelFrame frame;
  // With kDrop the targets are the locations' onshore parts.
  swan::Offshore offshore = swan::Offshore::kDrop;
  std::string stamp;   // the time compared; empty for a stationary file
  double f_low = 0.0;  // the file's frequency range, Hz
  double f_high = 0.0;
  std::string model = "SWAN";  // the source of the file (input/spectral_sources.h)
};

struct TargetSpectra {
  std::string label;                 // the file name, or "JONSWAP"
  std::string kind;                  // "jonswap.spe", "Sspe table", "Emep data", "Ene data", "JONSWAP"
  std::optional<SpectrumType> type;  // the run type of directional data (Emep, Ene)
  std::vector<PointTarget> points;   // one for a frequency spectrum, one per point of Emep and Ene data
  std::vector<std::string> notes;    // what the reader of the summary should know about the targets
  std::optional<SwanSource> swan;    // SWAN files: points in the order of the component file's points

  // The target of point v (0-based) of a component file: the one spectrum
  // for every point, or the point's own; nullptr when the file has fewer.
  const PointTarget* For(std::size_t v) const {
    if (points.size() == 1 && !type) return &points.front();
    return v < points.size() ? &points[v] : nullptr;
  }
};

// What a SWAN file needs besides its name, and the component file whose
// points its locations are paired with.
struct TargetRequest {
  std::optional<double> normal_from;        // --normal-from DEG
  bool clockwise = false;                   // --clockwise
  std::optional<std::string> time;          // --time STAMP
  std::optional<std::int64_t> location;     // --location K, 1-based
  std::optional<swan::Offshore> offshore;   // --offshore, as wavecomp-import had it (default drop)
  std::vector<std::int32_t> point_numbers;  // of a multi-point component file; empty for a single point

  bool SwanOptionsGiven() const { return normal_from || clockwise || time || location || offshore; }
};

// The files do not go together as the command line asks: SWAN options with
// another kind of file, a time or location that does not fit, a record too
// long for the time-domain check. The check is refused.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace wavecomp::check
