// A plain table of the components, one line each after a header line,
// fields separated by commas, in wavecomp's own convention (the surface at
// the origin a cos(2 pi f t + phase), the direction of travel anticlockwise
// from the shoreward x-axis):
//   component (1..N), frequency_Hz, period_s, amplitude_m, height_m (2a),
//   direction_deg, direction_rad, phase_deg, phase_rad
// and, with a depth, wavenumber_rad_per_m and wavelength_m from the linear
// dispersion relation. The reader takes frequency, amplitude and the radian
// columns; the others are for the reader's eye and spreadsheet.
#pragma once

#include <cstddef>
#include <string_view>

#include "output/output_formats.h"

namespace wavecomp::csv_layout {

inline constexpr std::string_view kColumns[] = {"component",     "frequency_Hz",  "period_s",
                                                "amplitude_m",   "height_m",      "direction_deg",
                                                "direction_rad", "phase_deg",     "phase_rad"};
inline constexpr std::string_view kDepthColumns[] = {"wavenumber_rad_per_m", "wavelength_m"};
// Where the reader finds its values (0-based columns).
inline constexpr std::size_t kFrequencyColumn = 1, kAmplitudeColumn = 3, kDirectionColumn = 6, kPhaseColumn = 8;

}  // namespace wavecomp::csv_layout

namespace wavecomp {

void WriteCsvFile(textio::OutputFile& file, const ComponentSet& set, std::size_t point,
                  const ExportSettings& settings);
ComponentFileContents ReadCsvFile(const textio::TextFile& file);

}  // namespace wavecomp
