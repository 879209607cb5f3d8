#pragma once

#include "core/console.h"
#include "core/workspace.h"

namespace wavecomp {

// Reads the directional spectra and point list of an Emep run.
void ReadDirectionalSpectrum(SpectrumWorkspace& workspace, Console& console);

}  // namespace wavecomp
