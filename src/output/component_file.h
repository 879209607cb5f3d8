#pragma once

#include "core/console.h"
#include "core/workspace.h"

namespace wavecomp {

// Writes the single-point component wave file (num_p = 1).
void WriteComponentFile(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
