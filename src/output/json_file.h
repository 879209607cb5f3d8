// One JSON document of the components of a point, in wavecomp's own
// convention (as the csv file), with what the component file recorded of
// the run:
//   {"format": "wavecomp components", "source": FILE, "point": NUMBER,
//    "convention": "...", "depth_m": H or null,
//    "run": {"trailer": "JNS"|"Sspe"|"Emep or Ene", "H13_m", "T13_s", "Dirc",
//            "gamma", "seed", "Smax", "input_file"} or null,
//    "components": [{"component", "frequency_Hz", "period_s", "amplitude_m",
//                    "height_m", "direction_deg", "direction_rad",
//                    "phase_deg", "phase_rad"[, "wavenumber_rad_per_m",
//                    "wavelength_m"]}, ...]}
// A field of the trailer that held asterisks is null. Numbers are written as
// the shortest text that reads back as the same double.
#pragma once

#include <cstddef>
#include <string_view>

#include "output/output_formats.h"

namespace wavecomp::json_layout {

inline constexpr std::string_view kFormat = "wavecomp components";

}  // namespace wavecomp::json_layout

namespace wavecomp {

void WriteJsonFile(textio::OutputFile& file, const ComponentSet& set, std::size_t point,
                   const ExportSettings& settings);
ComponentFileContents ReadJsonFile(const textio::TextFile& file);

}  // namespace wavecomp
