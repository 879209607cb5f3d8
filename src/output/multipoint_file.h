#pragma once

#include "control/console.h"
#include "control/workspace.h"

namespace wavecomp {

// Writes the multi-point component wave file (num_p >= 2).
void WriteMultiPointComponentFile(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
