// The stage between the component draws and the writers: it makes the
// ComponentSet a writer lays out, with the arithmetic that belongs to the
// run (the Ene energy scaling, the per-point amplitudes), and stops before
// a NaN or Infinity could reach a file.
#pragma once

#include "core/component_set.h"
#include "core/console.h"
#include "core/workspace.h"
#include "output/point_amplitudes.h"

namespace wavecomp {

// The single point: components 1..N with the frequencies of `bands` and the
// draws, the amplitudes of an Ene run scaled by sqrt(E_in / E_spl), and `run`
// for the trailer.
ComponentSet SinglePointComponentSet(int component_count, const FrequencyBands& bands, const ComponentDraws& draws,
                                     const EnergyCheck& energy, const RunRecord& run);

// Two or more points: the frequencies of sources.bands, every point's own
// amplitudes (computed into `amplitudes`, with the progress lines on the
// console) and the shared directions and phases of `draws`.
ComponentSet MultiPointComponentSet(const PointAmplitudeSources& sources, const ComponentDraws& draws,
                                    PointAmplitudeTable& amplitudes, Console& console,
                                    const PointAmplitudeOptions& options = PointAmplitudeOptions());

}  // namespace wavecomp
