#pragma once

#include <cstdint>

#include "core/settings.h"
#include "core/workspace.h"

namespace wavecomp {

// The direction draws of every run start from this seed, whatever cont.txt
// holds, so equal settings give equal components.
inline constexpr std::int32_t kFirstDirectionSeed = 100;

// Gives components 1..N the amplitude sqrt(2 ecomp), a direction drawn from
// their distribution (0 for an unspread JNS or Sspe spectrum) and a phase
// drawn from the random seed of `control`. Returns the random seed as the
// phase draws leave it (the single-point file records it).
std::int32_t MakeComponents(const ControlSettings& control, const FrequencyBands& bands,
                            const DirectionalDistribution& distribution, ComponentDraws& draws);

// The direction pass of MakeComponents on its own: sets theta(1..N) from
// `direction_seed` and returns the seed as the draws leave it. A drawn
// direction outside -pi/2..pi/2 (or not a number) stops the run with the
// draw diagnostic.
std::int32_t DrawComponentDirections(const ControlSettings& control, const DirectionalDistribution& distribution,
                                     double* theta, std::int32_t direction_seed);

}  // namespace wavecomp
