// FUNWAVE-TVD's wave component file of its WK_NEW_DATA2D wavemaker, the
// file its input.txt names as WaveCompFile. Layout, one value a line, each
// read by a Fortran list-directed READ (so the text after the value is a
// label the model skips):
//   NumFreq (N); PeakPeriod (s);
//   N frequencies (Hz); N directions (degrees, from the x-axis towards y;
//   the model keeps only |direction| <= 90 and drops the others silently);
//   N amplitudes (m); N phases (degrees, the model multiplies them by pi/180).
// The model's source term at the wavemaker line is
// Cm cos(omega t) + Sm sin(omega t) with Cm, Sm from cos and
// sin(lambda y + phase): a wave cos(omega t - lambda y - phase). At the origin
// that is wavecomp's a cos(2 pi f t + phase) with the phase's sign turned, so
// the file's phase is -phase in degrees.
#pragma once

#include <cstddef>
#include <string_view>

#include "output/output_formats.h"

namespace wavecomp::funwave_layout {

inline constexpr std::string_view kCountLabel = "- NumFreq";
inline constexpr std::string_view kPeakPeriodLabel = "- PeakPeriod";
inline constexpr std::string_view kFrequencyLabel = "- Freq";
inline constexpr std::string_view kDirectionLabel = "- Dire";
inline constexpr std::string_view kAmplitudeLabel = "- Amp";
inline constexpr std::string_view kPhaseLabel = "- Phase";
inline constexpr double kLargestDirection = 90.0;  // degrees; WK_NEW_DATA2D drops any other component

}  // namespace wavecomp::funwave_layout

namespace wavecomp {

void WriteFunwaveFile(textio::OutputFile& file, const ComponentSet& set, std::size_t point,
                      const ExportSettings& settings);
ComponentFileContents ReadFunwaveFile(const textio::TextFile& file);

// The period (s) at the top of the spectrum the components stand for: the
// density between neighbouring components is the mean of their energies
// over their spacing, and its densest interval's middle frequency is the
// peak. One component: its own period. The file's PeakPeriod, which the
// model uses only for the width of its source region.
double FunwavePeakPeriod(const std::vector<double>& frequency, const std::vector<double>& amplitude);

}  // namespace wavecomp
