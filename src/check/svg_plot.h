// The plots of a check as one self-contained SVG document (no fonts,
// scripts or images from outside): for every plotted point the frequency
// spectrum reconstructed from the components over the target spectrum, and
// the histogram of the component directions over the expected distribution;
// for a multi-point file Hm0 along the points. A multi-point file shows its
// first, middle and last point.
#pragma once

#include <string>
#include <vector>

#include "check/analysis.h"

namespace wavecomp::check {

// The points (0-based) that the plot shows.
std::vector<std::size_t> PlottedPoints(std::size_t point_count);

std::string RenderSvg(const CheckResult& result);

}  // namespace wavecomp::check
