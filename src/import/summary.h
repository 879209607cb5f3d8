// What wavecomp-import prints: the summary of an import as text or JSON.
#pragma once

#include <string>

#include "import/swan_import.h"

namespace wavecomp::importer {

std::string SummaryText(const ImportReport& report);
std::string SummaryJson(const ImportReport& report);

// The model frame in words, with a worked example: a wave from 20 degrees
// clockwise of normal_from (nautical) and its model direction.
std::string FrameDescription(const swan::ModelFrame& frame);

}  // namespace wavecomp::importer
