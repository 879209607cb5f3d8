// The table of the files a component set can be exported to, one row per
// format, for wavecomp-export (which writes them) and wavecomp-check
// --format (which reads them back). A new format is its writer and reader,
// output/<format>_file.{h,cpp} sharing one declared layout, and its row in
// output_formats.cpp.
//
// Every format holds the components of one point, each under its model's
// own convention. wavecomp's convention, which the readers return to: the
// surface at the origin is a cos(2 pi f t + phase), f in Hz, a in m, phase
// in radians; the direction of travel in radians, anticlockwise from the
// model's shoreward x-axis (README "Directions").
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/component_set.h"
#include "output/component_file_reader.h"
#include "textio/output_file.h"
#include "textio/records.h"

namespace wavecomp {

// What a writer may add besides the components.
struct ExportSettings {
  std::string source;             // the component file the set was read from, for a comment or a field
  int point_number = 1;           // the point's number in that file (its header's)
  std::optional<double> depth_m;  // csv and json: the wavenumber and wavelength at this depth
  const ComponentFileTrailer* trailer = nullptr;  // json: the run record, for a single-point file
};

// Lays out point `point` (0-based) of `set` into `file`, which the caller
// publishes.
using FormatWriter = void (*)(textio::OutputFile& file, const ComponentSet& set, std::size_t point,
                              const ExportSettings& settings);
// Reads an exported file back into a set of one point, under wavecomp's
// convention; the headers hold that one point's (declared_count its N, the
// line where its components start). A file that does not follow the layout
// is a textio::InputError.
using FormatReader = ComponentFileContents (*)(const textio::TextFile& file);

struct OutputFormat {
  std::string_view name;  // FORMAT of wavecomp-export, --format of wavecomp-check
  std::string_view model;  // who reads it, for messages
  FormatWriter write;
  FormatReader read;
  bool several_points;              // one file holds several points (none of these does: one file per point)
  double largest_direction_deg;     // the model takes directions within +-this; 180: any
  std::string_view direction_rule;  // why, for the refusal of a direction beyond it
  std::size_t fewest_components;    // the model refuses fewer
  std::size_t most_components;      // beyond this a warning: some versions of the model hold no more; 0: none
  std::string_view notes;
};

std::span<const OutputFormat> OutputFormats();
// The row of `name`, or nullptr.
const OutputFormat* FindOutputFormat(std::string_view name);
// "funwave, olaflow, celeris, csv, json", for messages.
std::string OutputFormatNames();

// The message of a refusal to export point `point` of `set` as `format`
// (a direction the model cannot take, too few components), or nullopt.
// Components are never dropped: a component the model cannot take refuses
// the whole file.
std::optional<std::string> ExportRefusal(const OutputFormat& format, const ComponentSet& set, std::size_t point);
// The warning for a count beyond format.most_components, or nullopt.
std::optional<std::string> ExportWarning(const OutputFormat& format, const ComponentSet& set, std::size_t point);

// Gravity acceleration (m/s2) of the linear dispersion relation the csv and
// json files use with --depth; the value the SWAN reader takes by default.
inline constexpr double kExportGravity = 9.81;

// The wavenumber k (rad/m) of linear waves of frequency f (Hz) at depth h
// (m): (2 pi f)^2 = g k tanh(k h), solved to the last bits of a double.
double LinearWavenumber(double f, double h);

}  // namespace wavecomp
