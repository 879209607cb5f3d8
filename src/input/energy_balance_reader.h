#pragma once

#include "core/console.h"
#include "core/settings.h"
#include "core/spectrum_data.h"

namespace wavecomp {

// Picks the points of the point list from the energy-balance model output
// file named in `control` (Ene run), or, when the list is missing and the
// operator agrees, its first spectrum: a kEnergyBalancePoints value of the
// frequencies, the bandwidths and every point's number, key, directions and
// energies as the file gives them, with the console lines of the run.
// `keep_point_tables` keeps each point's energies in the value too.
SpectrumData ReadEnergyBalancePoints(const ControlSettings& control, Console& console, bool keep_point_tables = false);

}  // namespace wavecomp
