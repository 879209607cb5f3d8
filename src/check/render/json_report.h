// The summary of a check as one JSON document, for scripts: everything the
// text summary holds, numbers at full precision (null where the text shows
// none or a value is not finite).
#pragma once

#include <optional>
#include <string>

#include "check/analysis/analysis.h"

namespace wavecomp::check {

// `plot` names the SVG file written beside it, if any, `series_csv` the CSV
// of the records (shown only when the result holds a time-domain check).
std::string JsonReport(const CheckResult& result, const std::optional<std::string>& plot,
                       const std::optional<std::string>& series_csv = std::nullopt);

}  // namespace wavecomp::check
