#pragma once

#include "core/console.h"
#include "core/settings.h"
#include "core/workspace.h"

namespace wavecomp {

// Picks the points of the point list from the energy-balance model output
// file named in `control` (Ene run): fills the averaged table `input`, every
// point's spectrum, number and key in `points` (the bandwidths in column 0),
// and the averaged directional values on all model directions in
// `directions`.
void ReadEnergyBalancePoints(const ControlSettings& control, InputSpectrum& input, PointSpectra& points,
                             InputDirections& directions, Console& console);

}  // namespace wavecomp
