#pragma once

#include "core/console.h"
#include "core/workspace.h"

namespace wavecomp {

// Directional spreading: fills D and cumD from the cos^(2s) function (unless Smax >= 999).
void mitgwd(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
