#pragma once

#include "core/console.h"
#include "core/settings.h"
#include "core/spectrum_data.h"

namespace wavecomp {

// Reads the directional spectra of an Emep run from the data file named in
// `control` and its point list (or, when the list is missing and the
// operator agrees, the first spectrum alone): a kDirectionalPoints value of
// every point as the file gives it (its number, frequencies, S and D on all
// mdd directions), with the console lines of the run. `keep_point_tables`
// keeps each point's directional table in the value too.
SpectrumData ReadDirectionalSpectrum(const ControlSettings& control, Console& console, bool keep_point_tables = false);

}  // namespace wavecomp
