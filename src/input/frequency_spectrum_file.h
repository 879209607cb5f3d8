#pragma once

#include "core/console.h"
#include "core/settings.h"
#include "core/spectrum_data.h"

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

// Reads the frequency spectrum table of an Sspe run (the input file named in
// `control`): a kFrequencyTable value with the header and one point of the
// pairs as read, echoing the header and the pair count on the console.
SpectrumData ReadSpec(const ControlSettings& control, Console& console);

}  // namespace wavecomp
