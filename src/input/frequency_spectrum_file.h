#pragma once

#include "control/console.h"
#include "control/workspace.h"

namespace wavecomp {

// Reads the frequency spectrum file of an Sspe run.
void ReadSpec(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
