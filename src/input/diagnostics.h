// What the readers tell the user beside the program's own console lines:
// warnings about input that is read exactly as its layout says but is
// probably not what the user meant, and the numbers in English messages.
#pragma once

#include <charconv>
#include <functional>
#include <string>

namespace wavecomp {

// Receives one English sentence per warning (without the program's name);
// the application shows them on standard error. An empty sink drops them.
// A warning never changes what is read.
using WarningSink = std::function<void(const std::string& warning)>;

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

}  // namespace wavecomp
