#pragma once

#include "core/console.h"
#include "core/settings.h"
#include "core/workspace.h"
#include "input/diagnostics.h"
#include "input/point_list.h"

namespace wavecomp {

// Picks the points of the point list from the energy-balance model output
// file named in `control` (Ene run): fills the averaged table `input`, every
// point's spectrum, number and key in `points` (the bandwidths in column 0),
// and the averaged directional values on all model directions in
// `directions`. A direction list that the direction interpolation cannot
// use (it reaches -90 or +90) goes to `warn`; every point read is also
// handed to `each_point` as the file gives it.
void ReadEnergyBalancePoints(const ControlSettings& control, InputSpectrum& input, PointSpectra& points,
                             InputDirections& directions, Console& console, const WarningSink& warn = {},
                             const PointInputSink& each_point = {});

}  // namespace wavecomp
