// The settings of a run as cont.txt gives them. They are read once and then
// only read: what a stage derives from them (the table header of an Sspe
// file, the frequency range of a table, the principal direction in radians)
// is that stage's own output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/spectrum_types.h"

namespace wavecomp {

inline constexpr int kFileNameLength = 200;  // file names in cont.txt, blank-padded

// A blank-padded fixed-length text field without its trailing blanks and
// NUL bytes.
std::string_view TrimmedField(std::string_view field);

struct ControlSettings {
  SpectrumType type = SpectrumType::kJonswap;
  std::int32_t component_count = 0;  // N, at most 1024, no lower bound
  double Smax = 0.0;                 // spreading parameter; >= 999 means not spread
  std::string input_file_field;      // kFileNameLength characters, blank-padded as read
  std::string output_file_field;     // the same
  double H13 = 0.0;                  // H1/3, m
  double T13 = 0.0;                  // T1/3, s
  double Dirc = 0.0;                 // principal direction, degrees
  double gamma = 0.0;                // peak enhancement factor of the JONSWAP spectrum
  double fmin = 0.0;                 // Hz, the value read + 0.000001
  double fmax = 0.0;                 // Hz
  std::int32_t random_seed = 0;      // first seed of the phase draws
  double dirmin = -90.0;             // direction range of the nodes, degrees
  double dirmax = 90.0;

  std::string input_file() const { return std::string(TrimmedField(input_file_field)); }
  std::string output_file() const { return std::string(TrimmedField(output_file_field)); }

  bool operator==(const ControlSettings&) const = default;
};

}  // namespace wavecomp
