#pragma once

#include "core/console.h"
#include "core/settings.h"
#include "core/workspace.h"
#include "input/point_list.h"

namespace wavecomp {

// Reads the directional spectra of an Emep run from the data file named in
// `control` and its point list: fills the averaged table `input`, every
// point's spectrum and number in `points`, and the averaged directional
// values on the shoreward directions in `directions`. Every point read is
// also handed to `each_point` as it stands in the file.
void ReadDirectionalSpectrum(const ControlSettings& control, InputSpectrum& input, PointSpectra& points,
                             InputDirections& directions, Console& console, const PointInputSink& each_point = {});

}  // namespace wavecomp
