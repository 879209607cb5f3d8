// The layout of the component wave file, for the two writers, for whatever
// reads the file back, and for the stages that refuse a setting the file
// cannot hold (gamma in F10.1).
//
// Single point: record 1 the point count (I5, always 1); record 2 N (I5), the
// spectrum code (I5) and gamma (F10.1); N component records; two empty
// records; the settings trailer of the spectrum type:
//   JNS    "  JNS " (A6); H1/3, T1/3, Dirc., gamma (4E15.6); the seed (I5); the Smax record
//   Sspe   H1/3, T1/3, Dirc. (3E15.6); the input file name (A50); the Smax record
//   Emep, Ene  H1/3, T1/3, Dirc. (3E15.6); the input file name (A50)
// where the Smax record is "Smax=" (A5), a blank and Smax (F5.2).
// Several points: record 1 the point count (I5); then for every point a
// header, N (I5), the spectrum code 9 (I5), gamma 0.0 (F10.1) and the point
// number (I5), and its N component records; no empty records, no trailer.
// A component record is four E15.6 fields: frequency (Hz), amplitude (m),
// direction (rad) and phase (rad).
#pragma once

#include <string_view>

namespace wavecomp::component_layout {

inline constexpr int kCountWidth = 5;   // I5: point count, N, spectrum code, point number, seed
inline constexpr int kGammaWidth = 10;  // F10.1
inline constexpr int kGammaDecimals = 1;
inline constexpr int kRealWidth = 15;  // E15.6: component fields and the trailer's reals
inline constexpr int kRealDecimals = 6;
inline constexpr int kComponentFields = 4;  // frequency, amplitude, direction, phase
inline constexpr int kComponentColumns = kComponentFields * kRealWidth;
inline constexpr int kTypeWidth = 6;       // A6 of the JNS trailer
inline constexpr int kFileNameWidth = 50;  // A50 of the Sspe, Emep and Ene trailers
inline constexpr std::string_view kSmaxLabel = "Smax=";
inline constexpr int kSmaxWidth = 5;  // F5.2 after the label and one blank
inline constexpr int kSmaxDecimals = 2;

inline constexpr int kJonswapCode = 3;    // spectrum code of a synthesised JONSWAP spectrum
inline constexpr int kTabulatedCode = 9;  // spectrum code of every spectrum read from a file

}  // namespace wavecomp::component_layout
