// Celeris' irregular-wave file (waves.txt): a line "[NumberOfWaves] N" with
// exactly one blank before N (Celeris WebGPU reads N as the second field of
// the line split at single blanks), a line of "=", then one line per
// component: amplitude (m), period (s), direction (rad, from the x-axis
// towards y) and phase (rad), one blank apart.
// Celeris' boundary (sineWave in shaders/BoundaryPass.wgsl) makes
// a sin(omega t - k cos(theta) x - k sin(theta) y + phase) = a cos(omega t + phase - pi/2) at the
// origin, so the file's phase is wavecomp's plus pi/2.
#pragma once

#include <cstddef>
#include <string_view>

#include "output/output_formats.h"

namespace wavecomp::celeris_layout {

inline constexpr std::string_view kCountKey = "[NumberOfWaves]";
inline constexpr std::string_view kRule = "=================================";
inline constexpr double kPhaseShift = 1.5707963267948966;  // pi/2: sin(x + pi/2) = cos(x)

}  // namespace wavecomp::celeris_layout

namespace wavecomp {

void WriteCelerisFile(textio::OutputFile& file, const ComponentSet& set, std::size_t point,
                      const ExportSettings& settings);
ComponentFileContents ReadCelerisFile(const textio::TextFile& file);

}  // namespace wavecomp
