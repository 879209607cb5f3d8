#pragma once

#include "core/console.h"
#include "core/settings.h"
#include "core/workspace.h"

namespace wavecomp {

// Both energy integrations of the division cut the input range into this
// many fine steps (the divisor is 99999, not 100000).
inline constexpr int kDivisionFineSteps = 99999;

// Where the division of a table ended.
struct DivisionEnd {
  double last_band_end = 0.0;  // Hz, the upper edge of the last band
  double table_end = 0.0;      // Hz, the last table frequency f_in(n_in)
};

// Equal-energy division of the input table into `component_count` bands:
// fills bands (ecomp, band starts and widths, half-energy frequencies f).
// An Ene run also checks the energy against the bandwidths kept in column 0
// of points.point_spectra, fills `energy` and divides the spline energy;
// every other type divides the trapezoid energy of the table.
DivisionEnd direct_spec(SpectrumType type, int component_count, const InputSpectrum& input, const PointSpectra& points,
                        FrequencyBands& bands, EnergyCheck& energy, Console& console);

}  // namespace wavecomp
