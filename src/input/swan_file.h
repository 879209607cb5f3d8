// The ASCII spectrum file of the SWAN wave model (1D and 2D), read into
// memory as it stands: nothing is converted here but the scaling of the 2D
// integers by their FACTOR.
//
// Layout: keywords and quantity names start a line and may be followed by
// free text; "$" lines are comments; values are free format and a line may
// end in CR LF. In order:
//   SWAN  version (1)
//   [TIME  time-coding option (1: YYYYMMDD.HHMMSS)]         non-stationary runs
//   LOCATIONS | LONLAT, count, one "x y" line per location
//   AFREQ | RFREQ, count, one frequency (Hz) per line, rising
//   [NDIR | CDIR, count, one direction (degrees) per line]  2D files only
//   QUANT, count, per quantity its name, a unit line and an exception value
//   per time ([date line when TIME], then one block per location in order):
//     2D  FACTOR, the factor, nfreq x ndir numbers (rows are frequencies,
//         read as numbers, not lines), or ZERO, or NODATA
//     1D  "LOCATION i", then per frequency one value of every quantity, or
//         NODATA (alone, or after the LOCATION line)
//
// Glossary: i frequency index, j direction index (0-based here); a 2D block
// holds density(i, j) at values[i * ndir + j]. Units as in the file: the
// density in m2/Hz/degr (VaDens) or J/m2/Hz/degr (EnDens) for 2D, m2/Hz or
// J/m2/Hz for 1D; directions and spreading in degrees.
//
// Exception values (the quantity's "missing" marker, e.g. -99 written as
// -0.9900E+02 too) are taken as follows: a missing density counts as zero
// energy (counted in `missing`), a missing 1D direction or spreading is
// flagged. Any other negative density is refused.
//
// Every departure from the layout throws the textio input error naming the
// file, the line (and the columns of the offending word) and what was
// expected.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/workspace.h"
#include "textio/records.h"

namespace wavecomp::swan {

enum class Coordinates { kCartesian, kSpherical };  // LOCATIONS (x, y in m), LONLAT (lon, lat)
enum class FrequencyKind { kAbsolute, kRelative };  // AFREQ, RFREQ
// NDIR: where the waves come from, clockwise from North; CDIR: where they
// travel to, counterclockwise from the x-axis (East).
enum class DirectionConvention { kNautical, kCartesian };

struct Location {
  double x = 0.0;  // m, or longitude
  double y = 0.0;  // m, or latitude
};

struct Quantity {
  std::string name;  // as written, e.g. "VaDens"
  std::string unit;  // the first word of the unit line
  double exception_value = 0.0;
  std::size_t line = 0;  // of the name
};

// What a 1D file tabulates per frequency (indices into the quantity list).
struct Columns1D {
  std::size_t density = 0;
  std::size_t direction = 1;
  std::size_t spreading = 2;
};

enum class BlockKind {
  kValues,  // FACTOR and numbers (2D), or a LOCATION table (1D)
  kZero,    // ZERO: identically zero
  kNoData,  // NODATA: not computed (e.g. dry)
};

struct Row1D {
  double density = 0.0;    // 0 when missing
  double direction = 0.0;  // degrees, in the file's convention (meaningless when missing)
  double spreading = 0.0;  // degrees
  bool direction_missing = false;
  bool spreading_missing = false;
};

// The spectrum of one location at one time.
struct LocationBlock {
  BlockKind kind = BlockKind::kNoData;
  std::size_t line = 0;        // of its keyword
  double factor = 0.0;         // 2D FACTOR
  std::vector<double> values;  // 2D: nfreq x ndir densities, factor applied
  std::vector<Row1D> rows;     // 1D: nfreq rows
  std::size_t missing = 0;     // densities equal to the exception value
};

struct TimeStep {
  std::string stamp;  // "YYYYMMDD.HHMMSS" as written; empty in a stationary file
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  std::size_t line = 0;                  // of the date line
  std::vector<LocationBlock> locations;  // in header order
};

struct SwanFile {
  std::string name;
  int version = 1;
  std::optional<int> time_coding;  // set when TIME is present
  Coordinates coordinates = Coordinates::kCartesian;
  std::vector<Location> locations;
  FrequencyKind frequency_kind = FrequencyKind::kAbsolute;
  std::vector<double> frequencies;  // Hz, strictly rising
  bool two_dimensional = false;
  DirectionConvention direction_convention =
      DirectionConvention::kNautical;  // 2D: of `directions`; 1D: of the direction column
  std::vector<double> directions;      // 2D only, degrees as written
  std::vector<Quantity> quantities;
  bool energy_density = false;  // EnDens (J/m2/...) rather than VaDens (m2/...)
  Columns1D columns;            // 1D only
  std::vector<TimeStep> times;  // one (with an empty stamp) when stationary

  // The value every source's reader yields (input/spectral_sources.h), so
  // the importer and the checker take any of them as they take a SWAN file:
  // directions NDIR (degrees from which the waves come) or CDIR, densities
  // VaDens in m2/Hz/degr (2D) or m2/Hz (1D). A reader of another source
  // names the model, describes the file in words for the summary (empty for
  // SWAN: described from its keywords) and notes what it decided.
  std::string model = "SWAN";
  std::string description;
  std::vector<std::string> notes;
  // Why a location without data has none, for messages; empty for SWAN,
  // whose blocks say NODATA on a line.
  std::string no_data_reason;

  bool stationary() const { return !time_coding.has_value(); }
};

// Reads and checks a whole file; throws the textio input error on any
// departure from the layout or the capacities.
SwanFile ReadSwanFile(const textio::TextFile& file);

// The time written YYYYMMDD.HHMMSS or YYYYMMDDTHHMMSS (as in file names);
// nullopt when the file has no such time.
std::optional<std::size_t> FindTime(const SwanFile& file, std::string_view stamp);

// The file's times for a message: the first 20, then how many in all.
std::string TimeList(const SwanFile& file);

}  // namespace wavecomp::swan
