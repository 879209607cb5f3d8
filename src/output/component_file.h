#pragma once

#include "control/console.h"
#include "control/workspace.h"

namespace wavecomp {

// Writes the single-point component wave file (num_p = 1).
void WriteComponentFile(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
