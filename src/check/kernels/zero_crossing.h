// Zero-up-crossing analysis of a sampled surface elevation.
//
// Glossary: eta(k) the sample at t = k dt (m), k = 0..n-1; H wave height (m),
// T wave period (s).
//
// An up-crossing lies between samples k and k+1 when eta(k) < 0 <= eta(k+1);
// its instant is interpolated linearly between them. A wave runs from one
// up-crossing to the next: its period is the time between the two instants,
// its height the crest minus the trough, each the highest (lowest) sample of
// the wave refined by the parabola through it and its two neighbours (with
// dt a twentieth of the shortest period the bare samples would miss a crest
// by up to 1 %). The partial waves before the first and after the last
// up-crossing are left out, so n up-crossings make n - 1 waves.
//
// H1/3 and T1/3 are the mean height and mean period of the highest third of
// the waves, floor(waves / 3) of them but at least one; H1/10 likewise with
// the highest tenth. Waves of equal height keep their order in time.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace wavecomp::check {

struct Wave {
  double start_s = 0.0;  // instant of the up-crossing that begins it
  double period_s = 0.0;
  double height_m = 0.0;
};

// The waves of a record sampled every dt seconds from t = 0.
std::vector<Wave> ZeroUpCrossingWaves(std::span<const double> eta, double dt);

// Statistics of the waves; all zero without waves.
struct WaveStatistics {
  std::size_t waves = 0;
  double H13_m = 0.0;
  double T13_s = 0.0;
  double H110_m = 0.0;
  double Hmax_m = 0.0;
  double Hmean_m = 0.0;
  double Tmean_s = 0.0;
};

WaveStatistics ComputeWaveStatistics(std::span<const Wave> waves);

}  // namespace wavecomp::check
