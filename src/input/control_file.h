#pragma once

#include <string>

#include "core/console.h"
#include "core/workspace.h"

namespace wavecomp {

// The control file every run reads from its working directory.
inline constexpr const char* kControlFileName = "cont.txt";

// Reads and checks the control file into workspace.control; sets the fixed
// direction range. Stops the run on a missing file, an unknown spectrum type
// or a component count above 1024.
void ReadControlFile(SpectrumWorkspace& workspace, Console& console, const std::string& path = kControlFileName);

}  // namespace wavecomp
