#pragma once

#include <string>

#include "core/console.h"
#include "core/workspace.h"
#include "output/point_amplitudes.h"
#include "textio/output_file.h"

namespace wavecomp {

// Writes the multi-point component wave file `path` (num_p >= 2): record 1
// with num_p, then for every point a header (N, spectrum code 9, gamma 0.0,
// the point number) and its N component records: the frequencies of
// sources.bands, the point's own amplitudes (computed into `amplitudes`) and
// the shared directions and phases of `draws`. The name is checked before
// the amplitudes are computed, and the complete file goes into `outputs`,
// which the run publishes at its end. An existing file is never touched:
// the run stops instead.
void WriteMultiPointComponentFile(const std::string& path, const PointAmplitudeSources& sources,
                                  const ComponentDraws& draws, PointAmplitudeTable& amplitudes, Console& console,
                                  textio::OutputSet& outputs,
                                  const PointAmplitudeOptions& options = PointAmplitudeOptions());

}  // namespace wavecomp
