// WAVEWATCH III point spectra in the text layout of its point output
// post-processor (ww3_outp, the "transfer file"), read into the value every
// source yields (input/swan_file.h).
//
// Layout, free format:
//   'WAVEWATCH III SPECTRA'  NK  NTH  NP  'grid name'
//   NK frequencies (Hz, rising), NTH directions (radians)
//   per time: "YYYYMMDD HHMMSS", then per point a line
//     'name'  latitude  longitude  depth  wind speed and direction,
//             current speed and direction
//   and its NK x NTH densities F(f, theta), the frequency running fastest.
// The directions are those the waves travel to, clockwise from North
// (ww3_outp writes mod(2.5 pi - theta, 2 pi) of the model's Cartesian
// theta), and F is in m2/Hz/rad; both are converted here, once: the
// direction to the one the waves come from (+180 degrees), F to m2/Hz/degr.
#pragma once

#include <string>
#include <string_view>

#include "input/swan_file.h"
#include "textio/records.h"

namespace wavecomp::spectra {

inline constexpr std::string_view kWw3Title = "'WAVEWATCH III SPECTRA'";

swan::SwanFile ReadWw3Spectra(const textio::TextFile& file);

// The file opens with the title.
bool LooksLikeWw3(std::string_view head);

}  // namespace wavecomp::spectra
