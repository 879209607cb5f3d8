// How an import ends early. Library code throws; wavecomp-import's main maps
// the type to its exit status and its line, as the other two programs do
// (core/front_door.h). Input files that cannot be opened or do not follow
// their layout arrive as the textio errors instead.
#pragma once

#include "core/front_door.h"

namespace wavecomp::importer {

// Refused by the importer's own checks (a bad option, a selection it cannot
// convert, an existing output name).
using Refusal = wavecomp::Refusal;

// An output file could not be created or written; nothing was left behind.
using OutputFailure = wavecomp::OutputFailure;

}  // namespace wavecomp::importer
