// The plots of a check as one self-contained SVG document (no fonts,
// scripts or images from outside): for every plotted point the frequency
// spectrum reconstructed from the components over the target spectrum, and
// the histogram of the component directions over the expected distribution;
// for a multi-point file Hm0 along the points. A multi-point file shows its
// first, middle and last point (PlottedPoints, analysis.h).
#pragma once

#include <string>

#include "check/analysis/analysis.h"

namespace wavecomp::check {

std::string RenderSvg(const CheckResult& result);

}  // namespace wavecomp::check
