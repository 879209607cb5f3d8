// What the readers tell the user beside the program's own console lines:
// warnings about input that is read exactly as its layout says but is
// probably not what the user meant, and the numbers in English messages.
#pragma once

#include <cstddef>
#include <string>

#include "core/warning_sink.h"

namespace wavecomp {

// Significant digits of a derived number in a message (textio::RoundedNumber).
inline constexpr int kDerivedDigits = 6;

// Where value m (0-based) of a list of fixed fields stands, `per_record`
// fields of `width` columns a line from line `first_line` on: "line 13,
// columns 25-36".
inline std::string PlaceInList(std::size_t first_line, std::size_t m, int per_record, int width) {
  const std::size_t per = static_cast<std::size_t>(per_record);
  const std::size_t first_column = (m % per) * static_cast<std::size_t>(width) + 1;
  return "line " + std::to_string(first_line + m / per) + ", columns " + std::to_string(first_column) + "-" +
         std::to_string(first_column + static_cast<std::size_t>(width) - 1);
}

// The end of the explanation of a negative density in an input table.
inline constexpr const char* kNegativeDensityAdvice =
    ": a spectrum is energy per frequency (and direction) and cannot be below 0, and the components would carry a "
    "wrong energy; correct the value in that file (0 where the spectrum holds no energy)";

}  // namespace wavecomp
