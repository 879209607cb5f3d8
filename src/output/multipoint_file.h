#pragma once

#include "core/component_set.h"
#include "textio/output_file.h"

namespace wavecomp {

// Lays out the multi-point component wave file `file` (made by
// CreateComponentFile, two or more points in `set`): record 1 with num_p,
// then for every point a header (N, spectrum code 9, gamma 0.0, the point
// number) and its N component records. The complete file goes into
// `outputs`, which the run publishes at its end.
void WriteMultiPointComponentFile(textio::OutputFile file, const ComponentSet& set, textio::OutputSet& outputs);

}  // namespace wavecomp
