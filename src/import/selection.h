// Which times and locations of a SWAN file an import converts.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "input/swan_file.h"

namespace wavecomp::importer {

// "1,3,5-8": 1-based location numbers and ranges, in the order wanted;
// returns 0-based indices. Refusal for anything else, numbers outside
// 1..count and repeats.
std::vector<std::size_t> ParseLocationList(std::string_view list, std::size_t count);

// 1-based numbers as the shortest such list ("1-3,7").
std::string CompactRanges(std::span<const std::size_t> numbers);

// The time of a file name: YYYYMMDDTHHMMSS.
std::string FileStamp(const swan::TimeStep& time);

// The 0-based indices of the times to convert: the one of --time (written
// YYYYMMDD.HHMMSS or YYYYMMDDTHHMMSS), all with --all-times, otherwise the
// only one. Refusal, listing the times, when that does not name exactly the
// times wanted.
std::vector<std::size_t> SelectTimes(const swan::SwanFile& file, const std::optional<std::string>& stamp,
                                     bool all_times);

}  // namespace wavecomp::importer
