#pragma once

#include "control/console.h"
#include "control/workspace.h"

namespace wavecomp {

// Equal-energy division of the tabulated spectrum, with the Ene energy check.
void direct_spec(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
