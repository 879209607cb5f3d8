#pragma once

#include "core/console.h"
#include "core/workspace.h"

namespace wavecomp {

// Reads the frequency spectrum file of an Sspe run.
void ReadSpec(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
