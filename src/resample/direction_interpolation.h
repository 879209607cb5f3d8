#pragma once

#include "core/console.h"
#include "core/settings.h"
#include "core/workspace.h"

namespace wavecomp {

// Brings the input directional spectrum of an Emep or Ene run (`type` sets
// the end nodes) onto the 181 direction nodes at the component frequencies
// bands.f(1..N): fills `distribution` (D and cumD), keeping its working
// tables in `tables`.
void resample_directions(SpectrumType type, int component_count, const InputSpectrum& input,
                         const InputDirections& directions, const FrequencyBands& bands, DirectionTables& tables,
                         DirectionalDistribution& distribution, Console& console);

}  // namespace wavecomp
