#pragma once

#include "core/console.h"
#include "core/workspace.h"

namespace wavecomp {

// Brings the input directional spectrum onto the 181 direction nodes (D, cumD).
void resample_directions(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
