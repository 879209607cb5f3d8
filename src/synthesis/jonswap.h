#pragma once

#include "control/console.h"
#include "control/workspace.h"

namespace wavecomp {

// JONSWAP synthesis: writes jonswap.spe, sets ecomp and the component frequencies.
void JonswapSpectrum(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
