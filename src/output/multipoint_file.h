#pragma once

#include "core/console.h"
#include "core/workspace.h"
#include "output/point_amplitudes.h"

namespace wavecomp {

// Writes the multi-point component wave file (num_p >= 2): record 1 with
// num_p, then for every point a header (N, spectrum code 9, gamma 0.0, the
// point number) and its N component records with the point's own amplitudes.
// Returns once the file is complete; the run ends after it.
void WriteMultiPointComponentFile(SpectrumWorkspace& workspace, Console& console);
// The same with the work shared out as `options` say (benchmarks, tests).
void WriteMultiPointComponentFile(SpectrumWorkspace& workspace, Console& console, const PointAmplitudeOptions& options);

}  // namespace wavecomp
