// wavecomp-import: converts a spectrum file of any source (SWAN, WAVEWATCH III,
// netCDF, NDBC buoys; input/spectral_sources.h, which reads each into the
// value a SWAN file is read into) into wavecomp's input layouts, by one
// pipeline whatever the source. A 2D file becomes an Emep data file NAME and its point list
// NAME.pnt (one per time with --all-times, NAME_YYYYMMDDTHHMMSS); a 1D file
// becomes an Sspe table NAME per location (NAME_L<k> when several locations
// are converted, the time stamp before it with --all-times).
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "import/conversion.h"
#include "input/swan_file.h"
#include "input/swan_sea_state.h"
#include "synthesis/spreading.h"

namespace wavecomp::importer {

struct ImportOptions {
  std::string source = "swan";  // the command of its row in input/spectral_sources.h
  std::string swan_file;        // the file to read, of that source (SWAN's was the first)
  double normal_from = 0.0;  // --normal-from, nautical degrees
  std::string out;           // --out NAME
  std::optional<std::string> time;
  bool all_times = false;
  std::optional<std::string> locations;  // "1,3,5-8"
  std::optional<int> directions;         // --directions MDD
  bool clockwise = false;
  double rho = swan::kDefaultRho;
  double g = swan::kDefaultG;
  bool json = false;
  // --offshore: nullopt is the default, kDrop, under which a location with
  // most of its energy travelling offshore is refused.
  std::optional<swan::Offshore> offshore;
};
using SwanImportOptions = ImportOptions;

// As narrow as wavecomp spreads around the table's principal direction:
// one below kUnspreadSmax, which sends every component along the x-axis.
inline constexpr double kNarrowestSmax = kUnspreadSmax - 1.0;

// Wave heights above this share of offshore energy draw a warning.
inline constexpr double kOffshoreWarningShare = 0.05;

struct LocationReport {
  std::size_t number = 0;  // 1-based SWAN index
  swan::Location where;
  bool zero = false;
  swan::SeaState state;                  // the sea as written: its onshore part with --offshore drop
  std::optional<double> suggested_smax;  // 1D
  SspeTable sspe;                        // 1D: what was written (h13, t13, direction)
};

struct OutputReport {
  std::string stamp;               // the SWAN time; empty when stationary
  std::vector<std::string> files;  // as published
  int mdd = 0;                     // 2D
  Refinement refinement;
  std::vector<LocationReport> locations;
};

struct ImportReport {
  std::string source;
  std::string model = "SWAN";  // as the file names its source (swan::SwanFile::model)
  std::string description;     // the file in words; empty for SWAN (described from its keywords)
  bool two_dimensional = false;
  bool stationary = true;
  std::size_t time_count = 1;
  swan::Coordinates coordinates = swan::Coordinates::kCartesian;
  swan::FrequencyKind frequency_kind = swan::FrequencyKind::kAbsolute;
  std::size_t frequency_count = 0;
  double lowest_frequency = 0.0;
  double highest_frequency = 0.0;
  std::size_t direction_count = 0;  // 2D
  swan::DirectionConvention convention = swan::DirectionConvention::kNautical;
  bool sector = false;
  std::string quantity;  // VaDens or EnDens
  bool energy_density = false;
  swan::ModelFrame frame;
  swan::Offshore offshore = swan::Offshore::kDrop;
  bool offshore_given = false;  // --offshore named it
  double rho = 0.0;
  double g = 0.0;
  std::vector<OutputReport> outputs;
  std::vector<std::string> notes;     // what was decided on the way
  std::vector<std::string> warnings;  // what the user should look at
};

// Reads, converts and publishes; the report says what was done. Throws
// Refusal, OutputFailure or the textio errors; nothing is
// written unless everything succeeds. `before_publishing`, when set, is
// given the report once every file is complete, before any takes its name:
// the summary is shown there, and what it throws publishes nothing.
// The file is read by the row of options.source.
ImportReport RunImport(const ImportOptions& options,
                       const std::function<void(const ImportReport&)>& before_publishing = {});
// RunImport of a SWAN file whatever options.source says.
ImportReport RunSwanImport(const SwanImportOptions& options,
                           const std::function<void(const ImportReport&)>& before_publishing = {});

}  // namespace wavecomp::importer
