#pragma once

#include "core/console.h"
#include "core/settings.h"
#include "core/workspace.h"

namespace wavecomp {

// The first read of an Sspe table: the wave settings of the run, which take
// the place of those of cont.txt.
struct SpectrumFileHeader {
  double H13 = 0.0;   // m
  double T13 = 0.0;   // s
  double Dirc = 0.0;  // principal direction, degrees
};

// Reads the frequency spectrum table of an Sspe run (the input file named in
// `control`) into `input` and returns its header.
SpectrumFileHeader ReadSpec(const ControlSettings& control, InputSpectrum& input, Console& console);

}  // namespace wavecomp
