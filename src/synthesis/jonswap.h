#pragma once

#include "core/settings.h"
#include "core/warning_sink.h"
#include "core/workspace.h"
#include "textio/output_file.h"

namespace wavecomp {

// The sampling step of all three passes: 1.0e-5 Hz held in single precision
// and used in double arithmetic, so its exact value 9.999999747378752e-6 is
// part of every sampled frequency.
inline constexpr double kJonswapStep = double(1.0e-5f);

// The JONSWAP shape derived once from H1/3 (m), T1/3 (s) and gamma.
struct JonswapShape {
  double gamma;
  double ln_gamma;  // ln(gamma), the same value for every frequency
  double Tp;        // peak period, s
  double fp;        // peak frequency 1/Tp, Hz
  double betaJ;     // scale factor of the fitted parameterisation
  double A;         // betaJ H1/3^2 Tp^-4
  double B;         // -1.25 Tp^-4

  static JonswapShape From(double H13, double T13, double gamma);
};

// Spectral density S(f), m^2 s, for f > 0; values at or below 1.0e-10 are 0.
double JonswapDensity(const JonswapShape& shape, double f);
// The slope used by the equal-energy division (not the exact derivative: its
// second term carries G twice and no gamma^G), never below 1.0e-6.
double JonswapSlope(const JonswapShape& shape, double f);

// m0 of the density from 0 Hz to infinity (m^2), without the floor of
// JonswapDensity: what a range wide enough would hold.
double JonswapTotalEnergy(const JonswapShape& shape);

// Refuses (RunStop) settings for which the JONSWAP density is undefined, that
// give no energy (H1/3 of 0 or less, fmax not above fmin), a gamma that the
// component file cannot hold, or a range too wide to sample; JonswapSpectrum
// checks them first.
void CheckJonswapSettings(const ControlSettings& control);

// The sampled spectrum's file in the working folder.
inline constexpr const char* kJonswapFileName = "jonswap.spe";
// Its records: frequency (Hz), density (m^2 s) and slope, three E20.8 fields.
inline constexpr int kJonswapSpeWidth = 20;
inline constexpr int kJonswapSpeDecimals = 8;

// JONSWAP synthesis from H1/3, T1/3 and gamma over fmin..fmax of `control`:
// writes jonswap.spe into `outputs` (it replaces the old file when the run
// publishes them) and fills bands.ecomp and the N component frequencies
// bands.f. Refuses (RunStop) parameters for which the density is undefined
// before anything is written, and a range that holds no energy. Tells `warn`
// when the range holds less than 90 % of JonswapTotalEnergy.
void JonswapSpectrum(const ControlSettings& control, FrequencyBands& bands, textio::OutputSet& outputs,
                     const WarningSink& warn = {});

}  // namespace wavecomp
