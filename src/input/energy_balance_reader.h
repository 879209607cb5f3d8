#pragma once

#include "control/console.h"
#include "control/workspace.h"

namespace wavecomp {

// Picks the listed points from an energy-balance model output file (Ene run).
void ReadEnergyBalancePoints(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
