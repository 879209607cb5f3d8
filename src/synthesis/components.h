#pragma once

#include "control/console.h"
#include "control/workspace.h"

namespace wavecomp {

// Gives every component its amplitude, a random direction and a random phase.
void MakeComponents(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
