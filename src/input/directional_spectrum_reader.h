#pragma once

#include "control/console.h"
#include "control/workspace.h"

namespace wavecomp {

// Reads the directional spectra and point list of an Emep run.
void ReadDirectionalSpectrum(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
