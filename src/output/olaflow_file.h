// olaFlow's wave dictionary (constant/waveDict) for irregular waves
// (waveType irregular): the OpenFOAM FoamFile header, then the lists
// waveHeights (m, H = 2a), wavePeriods (s), wavePhases (rad) and waveDirs
// (degrees), each written as the name, the count and one value a line
// between parentheses. The settings of the generation a user must choose
// (genAbs, absDir, nPaddles, waterDepth, tSmooth, secondOrder) follow as
// comments with olaFlow's defaults.
// olaFlow's free surface of a component (StokesIFun::eta in
// genAbs/common/waveFun.C) is H/2 cos(Kx x + Ky y - omega t + phase) with
// Kx = k cos(dir), Ky = k sin(dir) and dir in degrees: at the origin
// a cos(omega t - phase), so the file's phase is wavecomp's with its sign
// turned. olaFlow refuses a list of one component (checkInputErrorsIrregular.H).
#pragma once

#include <cstddef>
#include <string_view>

#include "output/output_formats.h"

namespace wavecomp::olaflow_layout {

inline constexpr std::string_view kWaveType = "irregular";
inline constexpr std::string_view kHeights = "waveHeights";
inline constexpr std::string_view kPeriods = "wavePeriods";
inline constexpr std::string_view kPhases = "wavePhases";
inline constexpr std::string_view kDirections = "waveDirs";
inline constexpr std::size_t kFewestComponents = 2;

}  // namespace wavecomp::olaflow_layout

namespace wavecomp {

void WriteOlaflowFile(textio::OutputFile& file, const ComponentSet& set, std::size_t point,
                      const ExportSettings& settings);
ComponentFileContents ReadOlaflowFile(const textio::TextFile& file);

}  // namespace wavecomp
