#pragma once

#include <string>

#include "core/settings.h"

namespace wavecomp {

// The control file every run reads from its working directory.
inline constexpr const char* kControlFileName = "cont.txt";

// Reads and checks the control file. Stops the run (RunStop) on a missing
// file, an unknown spectrum type or a component count above 1024; a missing
// record or an unreadable field is a textio::InputError.
ControlSettings ReadControlFile(const std::string& path = kControlFileName);

}  // namespace wavecomp
