#pragma once

#include <cstdint>

#include "core/console.h"
#include "core/workspace.h"

namespace wavecomp {

// The direction draws of every run start from this seed, whatever cont.txt
// holds, so equal settings give equal components.
inline constexpr std::int32_t kFirstDirectionSeed = 100;

// Gives every component its amplitude, a random direction and a random phase.
void MakeComponents(SpectrumWorkspace& workspace, Console& console);

// The direction pass of MakeComponents on its own: sets theta(1..N) from
// `direction_seed` and returns the seed as the draws leave it. A drawn
// direction outside -pi/2..pi/2 (or not a number) stops the run with the
// draw diagnostic.
std::int32_t DrawComponentDirections(SpectrumWorkspace& workspace, std::int32_t direction_seed);

}  // namespace wavecomp
