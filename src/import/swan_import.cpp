#include "import/swan_import.h"

#include <algorithm>
#include <cmath>

#include "import/errors.h"
#include "import/publish.h"
#include "import/selection.h"
#include "import/writers.h"
#include "input/spectral_sources.h"
#include "textio/errors.h"
#include "textio/format.h"
#include "textio/records.h"

namespace wavecomp::importer {
namespace {

// wavecomp takes directional values below this as zero (m2/Hz/degr as the
// importer writes them); a sea whose largest value is within a hundred times
// of it loses the directions of its weaker frequencies.
constexpr double kDirectionalValueFloor = 1e-6;
constexpr double kWeakValueWarning = 100.0 * kDirectionalValueFloor;
// The principal direction as the Sspe header writes it (F12.4) reads as 0.
constexpr double kZeroDirection = 0.5e-4;

void CheckOptions(const SwanImportOptions& options) {
  if (options.out.empty()) throw Refusal("--out needs a file name");
  if (!std::isfinite(options.normal_from)) throw Refusal("--normal-from needs a finite direction in degrees");
  if (!(options.rho > 0.0) || !std::isfinite(options.rho)) throw Refusal("--rho needs a positive density (kg/m3)");
  if (!(options.g > 0.0) || !std::isfinite(options.g)) throw Refusal("--g needs a positive acceleration (m/s2)");
  if (options.directions && (*options.directions < 2 || *options.directions > kMaxDirections)) {
    throw Refusal("--directions needs a direction count from 2 to " + std::to_string(kMaxDirections) +
                  ", found " + std::to_string(*options.directions));
  }
  if (options.time && options.all_times) throw Refusal("--time and --all-times exclude each other");
}

ImportReport Describe(const swan::SwanFile& file, const SwanImportOptions& options) {
  ImportReport report;
  report.source = file.name;
  report.model = file.model;
  report.description = file.description;
  report.two_dimensional = file.two_dimensional;
  report.stationary = file.stationary();
  report.time_count = file.times.size();
  report.coordinates = file.coordinates;
  report.frequency_kind = file.frequency_kind;
  report.frequency_count = file.frequencies.size();
  report.lowest_frequency = file.frequencies.front();
  report.highest_frequency = file.frequencies.back();
  report.direction_count = file.directions.size();
  report.convention = file.direction_convention;
  report.quantity = file.quantities[file.two_dimensional ? 0 : file.columns.density].name;
  report.energy_density = file.energy_density;
  report.frame = {options.normal_from, options.clockwise};
  report.offshore = options.offshore.value_or(swan::Offshore::kDrop);
  report.offshore_given = options.offshore.has_value();
  report.rho = options.rho;
  report.g = options.g;
  if (file.frequency_kind == swan::FrequencyKind::kRelative) {
    report.notes.push_back("RFREQ: the relative frequencies are taken as absolute ones (no current at the boundary)");
  }
  report.notes.insert(report.notes.end(), file.notes.begin(), file.notes.end());
  return report;
}

std::string TimeName(const swan::TimeStep& time) { return time.stamp.empty() ? "stationary" : time.stamp; }
std::string AtTime(const swan::TimeStep& time) { return time.stamp.empty() ? "" : " at time " + time.stamp; }

// A selected location without data cannot be converted; the refusal names
// the locations that have data, for --locations.
void RefuseNoData(const swan::SwanFile& file, const swan::TimeStep& time, std::span<const std::size_t> selected) {
  std::vector<std::size_t> without;
  for (const std::size_t index : selected) {
    if (time.locations[index].kind == swan::BlockKind::kNoData) without.push_back(index + 1);
  }
  if (without.empty()) return;
  std::vector<std::size_t> with;
  for (std::size_t k = 0; k < time.locations.size(); ++k) {
    if (time.locations[k].kind != swan::BlockKind::kNoData) with.push_back(k + 1);
  }
  const swan::LocationBlock& first = time.locations[without.front() - 1];
  std::string message = "location " + std::to_string(without.front()) + " of " + file.name + " has no data (" +
                        (file.no_data_reason.empty() ? "NODATA in line " + std::to_string(first.line)
                                                     : file.no_data_reason) +
                        ")" + AtTime(time);
  if (without.size() > 1) {
    message += "; " + std::to_string(without.size()) + " selected locations have none: " + CompactRanges(without);
  }
  message += with.empty() ? "; no location has data at that time"
                          : "; the locations with data are " + CompactRanges(with) + " (pick them with --locations)";
  throw Refusal(message);
}

void RefuseWithoutEnergy(const swan::SwanFile& file, const swan::TimeStep& time, const OutputReport& output) {
  bool offshore = false;
  for (const LocationReport& location : output.locations) {
    if (location.state.m0 > 0.0) return;
    offshore = offshore || location.state.total_hm0 > 0.0;
  }
  throw Refusal("none of the selected locations of " + file.name + " holds any " +
                (offshore ? "onshore energy" + AtTime(time) +
                                " (all of it travels offshore, and --offshore drop leaves it out): there is nothing "
                                "to convert"
                          : "energy" + AtTime(time) + " (ZERO or all-zero spectra): there is nothing to convert"));
}

// What to check when a sea seems to travel away from the boundary: the
// frame, and the one that would turn this sea shoreward.
std::string FrameHint(const swan::ModelFrame& frame, double mean_direction) {
  return "the frame is probably wrong: check --normal-from " + textio::FixedNumber(frame.normal_from, 2) +
         " (the nautical direction from which a wave travelling straight along the model's shoreward x-axis "
         "comes); this sea comes from " +
         textio::FixedNumber(swan::NauticalFrom(frame, mean_direction), 2) + " deg";
}

// Most of a location's energy travelling offshore is refused unless --offshore
// says what to do with it; a 1D sea whose principal direction points offshore
// is refused always, since no Sspe run can spread around it.
void RefuseOffshoreSea(const swan::SwanFile& file, const swan::TimeStep& time, std::size_t index,
                       const swan::SeaState& whole, const SwanImportOptions& options, const swan::ModelFrame& frame) {
  const std::string where = "location " + std::to_string(index + 1) + " of " + file.name + AtTime(time);
  if (!file.two_dimensional && whole.mean_direction && std::fabs(*whole.mean_direction) > swan::kOnshoreLimit) {
    throw Refusal(where + ": its principal direction " + textio::FixedNumber(*whole.mean_direction, 2) +
                  " deg lies beyond +-90 deg of the model's x-axis, so an Sspe run cannot spread around it; " +
                  FrameHint(frame, *whole.mean_direction));
  }
  if (options.offshore || !(whole.offshore_share > swan::kMostlyOffshoreShare)) return;
  throw Refusal(where + ": " + textio::Percent(whole.offshore_share, 1) +
                " of its energy travels offshore (beyond +-90 deg of the model's x-axis; mean direction " +
                textio::FixedNumber(whole.mean_direction.value_or(0.0), 2) + " deg); " +
                FrameHint(frame, whole.mean_direction.value_or(0.0)) +
                "; if the sea does leave the boundary, give --offshore drop to convert its onshore part (Hm0 " +
                textio::FixedNumber(whole.onshore_hm0, 4) + " m of " + textio::FixedNumber(whole.total_hm0, 4) +
                " m) or --offshore keep to write it as it is");
}

std::string Where(const OutputReport& output, const LocationReport& location) {
  std::string where = "location " + std::to_string(location.number);
  if (!output.stamp.empty()) where += " at " + output.stamp;
  return where;
}

// Notes and warnings of one location.
void ReviewLocation(const std::string& model, const swan::LocationBlock& block, const OutputReport& output,
                    const LocationReport& location, bool two_dimensional, ImportReport& report) {
  const swan::SeaState& state = location.state;
  const std::string where = Where(output, location);
  if (location.zero) {
    report.warnings.push_back(where + " is ZERO in the " + model + " file: written as a zero spectrum");
  } else if (!(location.state.m0 > 0.0)) {
    report.warnings.push_back(where + (location.state.total_hm0 > 0.0
                                           ? " holds no onshore energy: written as a zero spectrum (--offshore drop)"
                                           : " holds no energy: written as a zero spectrum"));
  }
  if (block.missing > 0) {
    report.notes.push_back(where + ": " + std::to_string(block.missing) +
                           " densities equal to the exception value were taken as zero");
  }
  if (location.state.rows_left_out > 0) {
    report.notes.push_back(where + ": " + std::to_string(location.state.rows_left_out) +
                           " frequencies with energy but no direction or spreading (exception values) were left out "
                           "of the mean direction and spread");
  }
  if (!(state.offshore_share > kOffshoreWarningShare)) return;
  std::string warning = where + ": " + (two_dimensional ? "" : "about ") + textio::Percent(state.offshore_share, 1) +
                        " of the energy travels offshore (beyond +-90 deg" +
                        (two_dimensional ? ")" : ", estimated from each frequency's direction and spreading)");
  const std::string principal = location.sspe.direction > 0.0 ? "+" + textio::FixedNumber(location.sspe.direction, 2)
                                                              : textio::FixedNumber(location.sspe.direction, 2);
  if (report.offshore == swan::Offshore::kDrop) {
    warning += " and was left out (--offshore drop): the run gets the onshore Hm0 " +
               textio::FixedNumber(state.onshore_hm0, 4) + " m of the total " +
               textio::FixedNumber(state.total_hm0, 4) + " m";
    if (!two_dimensional) {
      warning += ", spread by cos^2s around the principal direction " + principal +
                 " deg, the part of the curve beyond +-90 deg cut off";
    }
  } else if (two_dimensional) {
    warning += " and was kept (--offshore keep): the data file's S(f) holds it, so the run's Hm0 is the total " +
               textio::FixedNumber(state.total_hm0, 4) +
               " m, but wavecomp draws each component's direction from the directional values from -90 to +90 deg "
               "at its frequency alone (at 0 deg where those are all below 1.0E-06): that energy reaches the "
               "model travelling onshore, and the components' mean direction and spread differ from " + model + "'s";
  } else {
    warning += " and was kept (--offshore keep): the table holds the total Hm0 " +
               textio::FixedNumber(state.total_hm0, 4) +
               " m, and the Sspe run spreads all of it by cos^2s around the principal direction " + principal +
               " deg, the part of the curve beyond +-90 deg cut off and the rest scaled up to hold the energy: "
               "every component travels within +-90 deg";
  }
  report.warnings.push_back(warning);
}

void ReviewRefinement(const OutputReport& output, ImportReport& report) {
  if (output.refinement.sufficient) return;
  std::string where = output.files.empty() ? std::string() : output.files.front();
  report.warnings.push_back(where + ": even " + std::to_string(output.refinement.grid.frequencies.size()) +
                            " frequencies leave the spline " + textio::Percent(output.refinement.shortfall, 1) +
                            " short of the table's energy: the last components of a large N may not be filled");
}

TextSink SinkOf(OutputSet& outputs, std::size_t k) {
  return [&outputs, k](std::string_view text) { outputs.Append(k, text); };
}

void Convert2D(const swan::SwanFile& file, const SwanImportOptions& options, std::span<const std::size_t> times,
               std::span<const std::size_t> selected, double scale, OutputSet& outputs, ImportReport& report) {
  const swan::DirectionBins bins = swan::ModelBins(file, report.frame);
  report.sector = !bins.full_circle;
  const int mdd = options.directions.value_or(DefaultDirectionCount(bins));
  std::size_t next = 0;
  for (const std::size_t t : times) {
    const swan::TimeStep& time = file.times[t];
    OutputReport& output = report.outputs.emplace_back();
    output.stamp = time.stamp;
    output.mdd = mdd;
    for (const std::size_t index : selected) {
      LocationReport& location = output.locations.emplace_back();
      location.number = index + 1;
      location.where = file.locations[index];
      location.zero = time.locations[index].kind == swan::BlockKind::kZero;
      const swan::SeaState whole = swan::SeaState2D(file, bins, time.locations[index], scale);
      RefuseOffshoreSea(file, time, index, whole, options, report.frame);
      location.state = report.offshore == swan::Offshore::kDrop
                           ? swan::SeaState2D(file, bins, time.locations[index], scale, report.offshore)
                           : whole;
    }
    RefuseWithoutEnergy(file, time, output);

    const EmepConversion conversion = ConvertToEmep(file, time, selected, bins, mdd, scale, report.offshore);
    output.refinement = conversion.refinement;
    const std::size_t data = next++;
    const std::size_t points = next++;
    output.files = {outputs.path(data), outputs.path(points)};
    const std::string title = file.model + " " + file.name + " " + TimeName(time) + ", model frame --normal-from " +
                              textio::FixedNumber(options.normal_from, 2) + (options.clockwise ? " --clockwise" : "");
    WriteEmepData(conversion, title, time, SinkOf(outputs, data));
    WritePointList(conversion, SinkOf(outputs, points));

    for (std::size_t v = 0; v < selected.size(); ++v) {
      ReviewLocation(file.model, time.locations[selected[v]], output, output.locations[v], true, report);
    }
    ReviewRefinement(output, report);
    if (conversion.lumped_frequencies > 0) {
      report.notes.push_back(outputs.path(data) + ": at " + std::to_string(conversion.lumped_frequencies) +
                             " location frequencies all the energy lay between grid directions; it was given to the "
                             "grid direction nearest its mean direction (a finer --directions avoids this)");
    }
    if (conversion.largest_value > 0.0 && conversion.largest_value < kWeakValueWarning) {
      std::string largest;
      textio::PutE(largest, conversion.largest_value, 0, 3);
      report.warnings.push_back(outputs.path(data) + ": the largest directional value is " + largest +
                                " m2/Hz/degr; wavecomp takes values below 1.0E-06 as zero, so the weaker frequencies "
                                "lose their directions (their components travel shore-normal)");
    }
  }
}

void Convert1D(const swan::SwanFile& file, const SwanImportOptions& options, std::span<const std::size_t> times,
               std::span<const std::size_t> selected, double scale, OutputSet& outputs, ImportReport& report) {
  std::size_t next = 0;
  for (const std::size_t t : times) {
    const swan::TimeStep& time = file.times[t];
    std::vector<OutputReport> reports;
    for (const std::size_t index : selected) {
      const swan::LocationBlock& block = time.locations[index];
      OutputReport& output = reports.emplace_back();
      output.stamp = time.stamp;
      LocationReport& location = output.locations.emplace_back();
      location.number = index + 1;
      location.where = file.locations[index];
      location.zero = block.kind == swan::BlockKind::kZero;
      const swan::SeaState whole = swan::SeaState1D(file, report.frame, block, scale);
      RefuseOffshoreSea(file, time, index, whole, options, report.frame);
      location.state = report.offshore == swan::Offshore::kDrop
                           ? swan::SeaState1D(file, report.frame, block, scale, report.offshore)
                           : whole;
      location.sspe = ConvertToSspe(file, report.frame, index + 1, block, location.state, scale, report.offshore);
      if (location.state.peak_spreading) {
        const bool along_x = std::abs(location.sspe.direction) < kZeroDirection;
        location.suggested_smax = std::min(along_x ? kUnspreadSmax : kNarrowestSmax,
                                           swan::SpreadingParameter(*location.state.peak_spreading));
      }
      output.refinement = location.sspe.refinement;
      const std::size_t table = next++;
      WriteSspeTable(location.sspe, SinkOf(outputs, table));
      output.files = {outputs.path(table)};
    }
    OutputReport all;
    for (const OutputReport& output : reports) all.locations.push_back(output.locations.front());
    RefuseWithoutEnergy(file, time, all);
    for (OutputReport& output : reports) {
      ReviewLocation(file.model, time.locations[output.locations.front().number - 1], output, output.locations.front(), false,
                     report);
      ReviewRefinement(output, report);
      report.outputs.push_back(std::move(output));
    }
  }
}

}  // namespace

ImportReport RunSwanImport(const SwanImportOptions& options,
                           const std::function<void(const ImportReport&)>& before_publishing) {
  ImportOptions swan = options;
  swan.source = "swan";
  return RunImport(swan, before_publishing);
}

ImportReport RunImport(const ImportOptions& options, const std::function<void(const ImportReport&)>& before_publishing) {
  const spectra::SpectralSource* source = spectra::FindSpectralSource(options.source);
  if (source == nullptr) throw Refusal("no source is called " + options.source);
  CheckOptions(options);
  const swan::SwanFile file = source->read(options.swan_file);
  ImportReport report = Describe(file, options);
  const double scale = swan::VarianceScale(file, options.rho, options.g);

  const std::vector<std::size_t> times = SelectTimes(file, options.time, options.all_times);
  std::vector<std::size_t> selected;
  if (options.locations) {
    selected = ParseLocationList(*options.locations, file.locations.size());
  } else {
    for (std::size_t k = 0; k < file.locations.size(); ++k) selected.push_back(k);
  }

  for (const std::size_t t : times) RefuseNoData(file, file.times[t], selected);

  // Every name is known, and refused when taken, before any work is done.
  std::vector<std::string> paths;
  for (const std::size_t t : times) {
    const std::string base = options.all_times ? options.out + "_" + FileStamp(file.times[t]) : options.out;
    if (file.two_dimensional) {
      paths.push_back(base);
      paths.push_back(base + ".pnt");
    } else {
      for (const std::size_t index : selected) {
        paths.push_back(selected.size() > 1 ? base + "_L" + std::to_string(index + 1) : base);
      }
    }
  }
  OutputSet outputs(paths, options.swan_file);

  if (file.two_dimensional) {
    Convert2D(file, options, times, selected, scale, outputs, report);
  } else {
    Convert1D(file, options, times, selected, scale, outputs, report);
  }
  outputs.Finish();
  if (before_publishing) before_publishing(report);
  outputs.Publish();
  return report;
}

}  // namespace wavecomp::importer
