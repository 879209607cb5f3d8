// Equal-energy division of a tabulated frequency spectrum, with the energy
// check of Ene runs.
//
// Glossary: f_in(j), S_in(j), j = 1..n_in, the input table (Hz, m^2 s);
// s(x) the spline density through it; df_fine the fine step (Hz); in one
// step of a band's walk, q and u are its start and end, y_lo and y_hi the
// densities there (clipped at zero, y_hi made linear), g the slope between
// them, A the step's energy; acc the energy the band has gathered, W the
// energy still needed inside the step and t the offset from q that holds it.
// Energies in m^2, densities in m^2/Hz. Arrays are 1-based.
#include "resample/frequency_resampling.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/messages.h"
#include "core/run_stop.h"
#include "core/spectrum_types.h"
#include "resample/spline.h"
#include "synthesis/numerics.h"
#include "textio/format.h"

namespace wavecomp {
namespace {


// The single-precision constant of the significant wave height Hm0 = 4.004
// sqrt(m0), used in double arithmetic: its 64-bit value 4.004000186920166 is
// what the check lines show.
constexpr double kHeightFactor = double(4.004f);

// How far the walk may go past the last table frequency, in fine steps, over
// all bands together. Past the table the walk carries the last densities it
// had, so a band that still lacks energy there either gathers it at that
// carried rate or never does; 100 input ranges is far beyond any band a
// sensible table needs and bounds the time (about a tenth of a second).
// A band that cannot be filled within it is cut back to the table's end.
constexpr std::int64_t kMaxStepsBeyondTable = std::int64_t{100} * kDivisionFineSteps;

double ClipAtZero(double y) { return std::max(0.0, y); }

// The densities the walk carries from step to step and from band to band:
// where the spline has no value, a step keeps those of the step before.
struct Densities {
  double y_lo = 0.0;
  double y_hi = 0.0;
};

struct Step {
  double q;  // start
  double u;  // end
  double g;  // slope of the linear density over the step
  double A;  // energy of the step
};

// Step p of a band that starts at x. The positions come from the index so
// that the rounding does not build up along a band.
Step TakeStep(const Spline& spline, double x, std::int64_t p, double df_fine, Densities& d) {
  const double q = x + static_cast<double>(p) * df_fine;
  const double u = df_fine + q;
  spline.Evaluate(q, d.y_lo);
  spline.Evaluate(u, d.y_hi);
  d.y_lo = ClipAtZero(d.y_lo);
  const double g = (ClipAtZero(d.y_hi) - d.y_lo) / (u - q);
  d.y_hi = d.y_lo + (u - q) * g;
  const double A = (d.y_lo + d.y_hi) * (0.5 * df_fine);
  return {q, u, g, A};
}

// Where a band that starts at x with the densities `d` has gathered
// `target`, walking again the `steps` steps it took; `fallback` when it never
// does (energies that are not numbers).
double WhereBandGathers(const Spline& spline, double x, std::int64_t steps, Densities d, double target, double df_fine,
                        double fallback) {
  double acc = 0.0;
  for (std::int64_t p = 0; p < steps; ++p) {
    const Step s = TakeStep(spline, x, p, df_fine, d);
    acc = acc + s.A;
    if (acc >= target) return s.q + StepOffsetHolding(s.g, d.y_lo, target - acc + s.A);
  }
  return fallback;
}

// What to do about a table that cannot be divided: it comes from the input
// spectrum file of cont.txt line 5.
constexpr std::string_view kCheckTable =
    ": check the input spectrum file named in cont.txt line 5 (for Emep and Ene the table is the average of the "
    "points, pair k being frequency k)";

[[noreturn]] void Refuse(std::string text, std::string_view advice = kCheckTable) {
  text += messages::kNoFileWritten;
  text += advice;
  throw RunStop::BadInput(std::move(text));
}

// Tables whose division could not end or would divide garbage. A table
// without a spline still gives components when nothing is to be divided (no
// component) and for Ene, where its spline energy, and so every component's
// energy, is zero.
void RefuseUndividable(const InputSpectrum& input, bool ene, int component_count) {
  const int n_in = input.n_in;
  if (n_in > kMaxFrequencies) {
    Refuse(std::string(messages::kInputSpectrumLabel) + std::to_string(n_in) +
           std::string(messages::kPairCountNotDivisible));
  }
  for (int j = 1; j <= n_in; ++j) {
    if (!std::isfinite(input.f_in[j]) || !std::isfinite(input.S_in[j])) {
      Refuse(std::string(messages::kInputSpectrumPair) + std::to_string(j) + std::string(messages::kPairNotFinite));
    }
  }
  if (component_count < 1 || ene) return;
  if (n_in < kSplineMinPoints) {
    Refuse(std::string(messages::kInputSpectrumLabel) + std::to_string(n_in) +
           std::string(messages::kPairCountNotDivisible));
  }
  for (int j = 2; j <= n_in; ++j) {
    if (!(input.f_in[j] - input.f_in[j - 1] > 0.0)) {
      Refuse(std::string(messages::kInputSpectrumPair) + std::to_string(j) + std::string(messages::kPairNotRising));
    }
  }
}

// The N bands of equal energy `ecomp` from f_in(1) up to `table_end` and
// on: band starts, widths and the half-energy frequencies. Returns the end of
// the last band.
double DivideIntoBands(const InputSpectrum& input, FrequencyBands& bands, const Spline& spline, double df_fine,
                       double table_end, double ecomp, int component_count) {
  const double half = 0.5 * ecomp;
  double last_band_end = input.f_in[1];
  std::int64_t beyond_budget = kMaxStepsBeyondTable;
  // Inside the table the walks of all bands add up to about the 99999 fine
  // steps of the range. Densities so large that the step roots lose all
  // precision can end a band far before the table's start; the next band
  // would then walk towards the table for ever, so these steps are bounded
  // too.
  std::int64_t inside_budget = kMaxStepsBeyondTable;
  Densities carried;
  double x = input.f_in[1];
  for (int k = 1; k <= component_count; ++k) {
    const Densities at_band_start = carried;
    double acc = 0.0;
    bool found = false;
    std::int64_t first_beyond = -1;  // the band's first step past the table
    double acc_first_beyond = 0.0;
    for (std::int64_t p = 0;; ++p) {
      const Step s = TakeStep(spline, x, p, df_fine, carried);
      if (p == 0) bands.band_start[k] = s.q;
      acc = acc + s.A;
      if (acc >= half && !found) {
        bands.f[k] = s.q + StepOffsetHolding(s.g, carried.y_lo, half - acc + s.A);
        found = true;
      } else if (acc >= ecomp) {
        const double e = s.q + StepOffsetHolding(s.g, carried.y_lo, ecomp - acc + s.A);
        bands.band_width[k] = e - bands.band_start[k];
        last_band_end = e;
        x = e;
        break;
      }
      if (s.q <= table_end) {
        if (--inside_budget > 0) continue;
        Refuse(std::string(messages::kBandLabel) + std::to_string(k) + std::string(messages::kOfLabel) +
               std::to_string(component_count) + std::string(messages::kBandWalkOutsideTable));
      }
      if (first_beyond < 0) {
        first_beyond = p;
        acc_first_beyond = acc;
      }
      --beyond_budget;
      if (acc >= ecomp) continue;  // the band ends in the next step
      // Past the table the carried densities barely change, so every step
      // adds about the same energy: a band that could not be filled within
      // twice the remaining budget is given up at once, the rest are walked
      // until they are filled or the budget is spent.
      const bool hopeless = !(s.A * 2.0 * static_cast<double>(beyond_budget) >= ecomp - acc);
      if (!hopeless && beyond_budget > 0) continue;
      // Only the last band may run out (the shortfall of one band is the
      // rounding between the spline and the energy divided); earlier ones
      // would leave later components without any energy.
      if (k < component_count || !std::isfinite(acc)) {
        Refuse(std::string(messages::kBandLabel) + std::to_string(k) + std::string(messages::kOfLabel) +
               std::to_string(component_count) + std::string(messages::kBandCannotBeFilled));
      }
      // The last band ends with its first step past the table, where only
      // carried densities remain; its frequency is where the energy it holds
      // up to there halves.
      const double e = df_fine + (x + static_cast<double>(first_beyond) * df_fine);
      bands.band_width[k] = e - bands.band_start[k];
      last_band_end = e;
      bands.f[k] = WhereBandGathers(spline, x, first_beyond + 1, at_band_start, 0.5 * acc_first_beyond, df_fine, e);
      break;
    }
  }
  return last_band_end;
}

// The (5X, 2F20.15) line every call ends with.
void WriteClosingLine(Console& console, double ecomp, double E_trap) {
  std::string line;
  textio::PutX(line, 5);
  textio::PutF(line, ecomp, 20, 15);
  textio::PutF(line, E_trap, 20, 15);
  console.WriteLine(line);
}

void WriteCheckLine(Console& console, std::string_view label, double value) {
  console.WriteLine(textio::ListLine().Text(label).Real(value).str());
}

}  // namespace

DivisionEnd direct_spec(SpectrumType type, int component_count, const InputSpectrum& input, const PointSpectra& points,
                        FrequencyBands& bands, EnergyCheck& energy, Console& console) {
  const int n_in = input.n_in;
  const bool ene = Traits(type).energy_scaled;
  if (component_count > kMaxUsedComponents) {
    throw RunStop::FreeFormat(std::string(messages::kTooManyComponents),
                              "the component count N (cont.txt line 3, columns 11-20) is " +
                                  std::to_string(component_count) +
                                  ", above the largest count 1024: give at most "
                                  "1024 components");
  }
  // An Emep point list of no points leaves an empty table (every point read
  // has at least one frequency): there is nothing to divide and nothing to
  // refuse, and the run goes on to the driver, which ends it with its message
  // about the missing points.
  if (n_in < 1 && Traits(type).input == SpectrumInput::kDirectionalPoints) {
    bands.ecomp = 0.0;
    WriteClosingLine(console, bands.ecomp, 0.0);
    return DivisionEnd{};
  }
  RefuseUndividable(input, ene, component_count);

  // Only the table decides the spline, so it is set up once for all the
  // evaluations below.
  Spline spline;
  spline.Setup(input.f_in, input.S_in, n_in);

  // An empty table has no last pair; its range is then the one point f_in(1).
  const double fmin = input.f_in[1];
  const double fmax = input.f_in[std::max(n_in, 1)];
  const double df_fine = (fmax - fmin) / kDivisionFineSteps;
  // A walk on steps of zero or non-finite width would never end.
  if (component_count >= 1 && !(df_fine > 0.0 && std::isfinite(df_fine))) {
    Refuse(std::string(messages::kRangeNotDivisible));
  }

  double E_trap = 0.0;
  for (int i = 1; i <= n_in - 1; ++i) {
    E_trap += 0.5 * (input.S_in[i] + input.S_in[i + 1]) * (input.f_in[i + 1] - input.f_in[i]);
  }

  double E_total = E_trap;
  if (ene) {
    double E_in = 0.0;
    for (int i = 1; i <= n_in; ++i) E_in += input.S_in[i] * points.point_spectra(i, 0);
    energy.E_in = E_in;
    double E_spl = 0.0;
    double ya = 0.0;
    double yb = 0.0;
    for (int i = 1; i <= kDivisionFineSteps; ++i) {
      const double a = fmin + static_cast<double>(i - 1) * df_fine;
      const double b = fmin + static_cast<double>(i) * df_fine;
      spline.Evaluate(a, ya);
      spline.Evaluate(b, yb);
      ya = ClipAtZero(ya);
      yb = ClipAtZero(yb);
      E_spl += (ya + yb) * (0.5 * df_fine);
    }
    energy.E_spl = E_spl;
    WriteCheckLine(console, messages::kEnergyIn, E_in);
    WriteCheckLine(console, messages::kEnergySpline, E_spl);
    WriteCheckLine(console, messages::kEnergyRatio, E_spl / E_in);
    WriteCheckLine(console, messages::kHeightIn, kHeightFactor * std::sqrt(E_in));
    WriteCheckLine(console, messages::kHeightSpline, kHeightFactor * std::sqrt(E_spl));
    E_total = E_spl;
  }

  // Densities near the largest double add up to infinity. No band could then
  // be filled, and saying so would blame the spline for an overflow.
  if (component_count >= 1 && !std::isfinite(E_total)) Refuse(std::string(messages::kSpectrumEnergyNotFinite));
  // Negative densities may stand in a table, but an energy below zero has no
  // amplitude: every component would get the square root of a negative number.
  if (component_count >= 1 && E_total < 0.0) Refuse(std::string(messages::kSpectrumEnergyNegative));
  // A file of components that all have amplitude 0 would look like a sea.
  // An Ene run without points has only an empty average, and the driver
  // reports the missing points.
  if (component_count >= 1 && E_total == 0.0 && !(ene && points.num_p < 1)) {
    throw RunStop::Silent(std::string(messages::kSpectrumEnergyZero) + std::string(messages::kNoFileWritten) +
                          std::string(kCheckTable));
  }
  bands.ecomp = E_total / static_cast<double>(component_count);
  const double last_band_end = DivideIntoBands(input, bands, spline, df_fine, fmax, bands.ecomp, component_count);

  WriteClosingLine(console, bands.ecomp, E_trap);
  return DivisionEnd{last_band_end, fmax};
}

}  // namespace wavecomp
