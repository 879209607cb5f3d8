#pragma once

#include "core/console.h"
#include "core/workspace.h"

namespace wavecomp {

// Picks the listed points from an energy-balance model output file (Ene run).
void ReadEnergyBalancePoints(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
