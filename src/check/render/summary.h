// The printed summary of a check: one block per point for a single-point
// file, one table row per point for a multi-point file.
#pragma once

#include "check/analysis/analysis.h"
#include "core/console.h"

namespace wavecomp::check {

void WriteSummary(const CheckResult& result, Console& console);

}  // namespace wavecomp::check
