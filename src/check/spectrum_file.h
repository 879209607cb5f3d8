// Reading the target spectrum given with --spectrum: either jonswap.spe
// (three E20.8 fields per record: frequency, density, slope) or the table of
// an Sspe run (free format: H1/3, T1/3, Dirc. on the first read, then one
// frequency-density pair per line).
#pragma once

#include <string>

#include "check/expectations.h"

namespace wavecomp::check {

// Reads the file; an unreadable file or one that follows neither layout is
// a textio::InputError naming the line and columns.
TargetSpectrum ReadTargetSpectrum(const std::string& path);

}  // namespace wavecomp::check
