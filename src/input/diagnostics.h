// What the readers tell the user beside the program's own console lines:
// warnings about input that is read exactly as its layout says but is
// probably not what the user meant, and the numbers in English messages.
#pragma once

#include <charconv>
#include <cstddef>
#include <string>

#include "core/warning_sink.h"

namespace wavecomp {

// A number as English text: the shortest form that reads back as the same
// double ("0.01", "1e+300").
inline std::string PlainNumber(double value) {
  char buffer[32];
  const std::to_chars_result result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

// A derived number as English text, to `digits` significant digits ("0.09345").
inline std::string RoundedNumber(double value, int digits = 6) {
  char buffer[40];
  const std::to_chars_result result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  return std::string(buffer, result.ptr);
}

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
