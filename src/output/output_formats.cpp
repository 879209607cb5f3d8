#include "output/output_formats.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "output/celeris_file.h"
#include "output/csv_file.h"
#include "output/export_text.h"
#include "output/funwave_file.h"
#include "output/json_file.h"
#include "output/olaflow_file.h"
#include "synthesis/numerics.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

// Celeris WebGPU takes any count; some builds of Celeris reserve room for
// 1000 waves, so a longer list is said, not refused.
constexpr std::size_t kCelerisWaveRoom = 1000;

constexpr OutputFormat kFormats[] = {
    {"funwave", "FUNWAVE-TVD WK_NEW_DATA2D", WriteFunwaveFile, ReadFunwaveFile, false,
     funwave_layout::kLargestDirection, "FUNWAVE-TVD's WK_NEW_DATA2D keeps only |direction| <= 90 deg and drops the rest",
     1, 0, "one value a line; phases in degrees, negated (the model's source is cos(omega t - lambda y - phase))"},
    {"olaflow", "olaFlow irregular-wave", WriteOlaflowFile, ReadOlaflowFile, false, 180.0, "", 
     olaflow_layout::kFewestComponents, 0,
     "OpenFOAM dictionary; H = 2a, T = 1/f, phases negated (rad), directions in degrees; review the commented "
     "generation settings"},
    {"celeris", "Celeris", WriteCelerisFile, ReadCelerisFile, false, 90.0,
     "Celeris generates waves at its boundary travelling into the domain, within +-90 deg of its x-axis", 1,
     kCelerisWaveRoom, "amplitude, period, direction (rad), phase + pi/2 (the model's boundary is a sine)"},
    {"csv", "CSV", WriteCsvFile, ReadCsvFile, false, 180.0, "", 1, 0,
     "wavecomp's convention; with --depth the wavenumber and wavelength"},
    {"json", "JSON", WriteJsonFile, ReadJsonFile, false, 180.0, "", 1, 0,
     "wavecomp's convention and the run record of the trailer; with --depth the wavenumber and wavelength"},
};

}  // namespace

std::span<const OutputFormat> OutputFormats() { return kFormats; }

const OutputFormat* FindOutputFormat(std::string_view name) {
  for (const OutputFormat& format : kFormats) {
    if (format.name == name) return &format;
  }
  return nullptr;
}

std::string OutputFormatNames() {
  std::string names;
  for (const OutputFormat& format : kFormats) {
    if (!names.empty()) names += ", ";
    names += format.name;
  }
  return names;
}

std::optional<std::string> ExportRefusal(const OutputFormat& format, const ComponentSet& set, std::size_t point) {
  const ComponentSet::Point& p = set.points[point];
  const std::string where = set.points.size() > 1 ? " of point " + std::to_string(p.number) : "";
  if (p.amplitude.size() < format.fewest_components) {
    return std::string(format.model) + " takes " + std::to_string(format.fewest_components) +
           " components or more; the file has " + std::to_string(p.amplitude.size()) + where;
  }
  if (format.largest_direction_deg >= 180.0) return std::nullopt;
  const std::vector<double>& direction = set.DirectionsOf(p);
  for (std::size_t i = 0; i < direction.size(); ++i) {
    const double degrees = direction[i] * kDegreesPerRadian;
    if (std::abs(degrees) > format.largest_direction_deg) {
      return "component " + std::to_string(i + 1) + where + " travels at " + textio::RoundedNumber(degrees, 4) +
             " deg: " + std::string(format.direction_rule) + "; no component is left out, so nothing was written";
    }
  }
  return std::nullopt;
}

std::optional<std::string> ExportWarning(const OutputFormat& format, const ComponentSet& set, std::size_t point) {
  const std::size_t count = set.points[point].amplitude.size();
  if (format.most_components == 0 || count <= format.most_components) return std::nullopt;
  return std::to_string(count) + " components: some versions of " + std::string(format.model) + " hold at most " +
         std::to_string(format.most_components);
}

double LinearWavenumber(double f, double h) {
  const double omega2 = kTwoPi * f * kTwoPi * f;
  // Newton on F(k) = g k tanh(k h) - omega^2, increasing in k, from the
  // larger of the deep- and shallow-water wavenumbers: both lie at or below
  // the root (tanh x <= 1 and tanh x <= x), so the start is already close.
  const double deep = omega2 / kExportGravity;
  const double shallow = std::sqrt(omega2 / (kExportGravity * h));
  double k = std::max(deep, shallow);
  for (int step = 0; step < 100; ++step) {
    const double t = std::tanh(k * h);
    const double F = kExportGravity * k * t - omega2;
    const double dF = kExportGravity * (t + k * h * (1.0 - t * t));
    const double next = k - F / dF;
    const bool done = std::abs(next - k) <= 4.0 * std::numeric_limits<double>::epsilon() * k;
    k = next;
    if (done) break;
  }
  return k;
}

}  // namespace wavecomp
