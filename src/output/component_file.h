#pragma once

#include "core/component_set.h"
#include "textio/output_file.h"

namespace wavecomp {

// Lays out the single-point component wave file `file` (made by
// CreateComponentFile): components 1..N of the one point of `set`, then the
// trailer of set.run. The complete file goes into `outputs`, which the run
// publishes at its end.
void WriteComponentFile(textio::OutputFile file, const ComponentSet& set, textio::OutputSet& outputs);

}  // namespace wavecomp
