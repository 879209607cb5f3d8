#pragma once

#include "core/console.h"
#include "core/workspace.h"

namespace wavecomp {

// Equal-energy division of the tabulated spectrum, with the Ene energy check.
void direct_spec(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
