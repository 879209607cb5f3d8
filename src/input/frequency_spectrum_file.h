#pragma once

#include "core/console.h"
#include "core/settings.h"
#include "core/workspace.h"

// The layout the importer writes an Sspe table in; the reader takes any
// free-format numbers. A header record of H1/3 (m), T1/3 (s) and the
// principal direction (model degrees), then a record of frequency (Hz) and
// density (m2/Hz) per table row.
namespace wavecomp::sspe_layout {
inline constexpr int kHeaderWidth = 12;  // 3F12.4
inline constexpr int kHeaderDecimals = 4;
inline constexpr int kRealWidth = 16;  // 2E16.8
inline constexpr int kRealDecimals = 8;
}  // namespace wavecomp::sspe_layout

namespace wavecomp {

// The first read of an Sspe table: the wave settings of the run, which take
// the place of those of cont.txt.
struct SpectrumFileHeader {
  double H13 = 0.0;   // m
  double T13 = 0.0;   // s
  double Dirc = 0.0;  // principal direction, degrees
};

// Reads the frequency spectrum table of an Sspe run (the input file named in
// `control`) into `input` and returns its header.
SpectrumFileHeader ReadSpec(const ControlSettings& control, InputSpectrum& input, Console& console);

}  // namespace wavecomp
