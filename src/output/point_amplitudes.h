// The per-point component amplitudes of a multi-point run: every component
// gets, at every point, the energy that the point's own frequency spectrum
// holds in the component's band.
//
// Glossary: v = point (1..num_p), i = component (1..N), l = table frequency
// (1..nss). b(i), w(i) = band start and width of component i (Hz); the band
// is cut into 1000 sub-steps of width Delta = w(i) / 1000, a sub-step running
// from a = k * Delta + b(i) to c = Delta + a. The spline of point v is that of
// the table (f_in(l), S_v(l)). "left" and "right" are the remembered spline
// values at a and c: an evaluation outside the table (or on a table that has
// no spline) keeps the value remembered before, and the remembered values run
// on from component to component and from point to point.
#pragma once

#include "core/console.h"
#include "core/settings.h"
#include "core/worker_threads.h"
#include "core/workspace.h"

namespace wavecomp {

struct PointAmplitudeOptions {
  int threads = WorkerThreadCount();  // workers the points are shared out to
  int block_points = 0;               // points set up and stepped together; 0 chooses by table length
};

// What the amplitudes of every point are made from.
struct PointAmplitudeSources {
  SpectrumType type = SpectrumType::kEmep;  // Ene: amplitudes scaled by the energy ratio
  int component_count = 0;
  const InputSpectrum& input;   // f_in(1..nss): the abscissae of every point's table
  const PointSpectra& points;   // num_p, nss and the spectra S_v
  const FrequencyBands& bands;  // band starts and widths
  const EnergyCheck& energy;    // Ene: E_in and E_spl
};

// The energy ratio E_in / E_spl that scales the amplitudes of an Ene run.
double PointEnergyRatio(const EnergyCheck& energy);

// Fills amplitudes(i, v) for i = 1..N, v = 1..num_p with sqrt(2H) (Ene:
// sqrt(2H * E_in / E_spl)), 0 where H <= 0, H being the trapezoid sum of the
// remembered values over the band, each clipped below at 0 (a NaN stays NaN
// so that broken data is caught before anything is written). Shows the
// progress lines of every point on the console.
//
// The result is bit for bit that of evaluating the spline point by point, in
// order, with spline_value: all points share the abscissae and the sub-step
// positions, so the interval and its widths are found once per position and
// the per-point arithmetic runs over all points of a block together.
void ComputePointAmplitudes(const PointAmplitudeSources& sources, PointAmplitudeTable& amplitudes, Console& console,
                            const PointAmplitudeOptions& options = PointAmplitudeOptions());

}  // namespace wavecomp
