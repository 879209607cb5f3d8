// What a component file should hold: a target frequency spectrum and the
// directional distribution that wavecomp draws directions from.
//
// Glossary: f frequency (Hz), S spectral density (m^2 s), C(f) the energy of
// the target below f (m^2), e(i) = a(i)^2/2 the energy of component i.
//
// Target energy over the components' bands: the components stand for bands
// whose outer edges the file does not record. The first band reaches below
// the first component frequency f(1) by half its energy and the last above
// f(N) by half its energy, so the outer edges are placed where the target
// holds e(1)/2 below f(1) and e(N)/2 above f(N), and the target energy is
// C(upper edge) - C(lower edge). Between f(1) and f(N) this compares the
// target with the components exactly; only the two half bands at the ends
// are taken from the components.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "check/kernels/statistics.h"
#include "core/settings.h"
#include "core/workspace.h"
#include "input/point_list.h"

namespace wavecomp::check {

// A target spectrum sampled finely enough that straight lines between the
// samples stand for it.
class TargetSpectrum {
 public:
  // JONSWAP density of the synthesis with H1/3 (m), T1/3 (s) and gamma,
  // sampled on a geometric grid that covers f_low..f_high as well.
  static TargetSpectrum Jonswap(double H13, double T13, double gamma, double f_low, double f_high);
  // Samples taken as they are (jonswap.spe); f strictly ascending.
  static TargetSpectrum Samples(std::string label, std::vector<double> f, std::vector<double> S);
  // The spline through a frequency table, clipped at zero, as wavecomp
  // divides an Sspe table, times `scale`; nullopt when f and S differ in
  // length or the spline cannot be set up.
  static std::optional<TargetSpectrum> SplineTable(std::string label, std::span<const double> f,
                                                   std::span<const double> S, double scale = 1.0);

  const std::string& label() const { return label_; }
  const std::vector<double>& f() const { return f_; }
  const std::vector<double>& S() const { return S_; }
  double Density(double x) const;     // linear between samples, 0 outside
  double Cumulative(double x) const;  // C(x)
  double Total() const { return cumulative_.empty() ? 0.0 : cumulative_.back(); }
  // The frequency where C reaches `energy` (clamped to the sampled range).
  double FrequencyAtEnergy(double energy) const;
  // Peak frequency (Hz): the formula's for JONSWAP, the highest sample
  // (refined by a parabola) otherwise.
  double PeakFrequency() const { return peak_frequency_; }

 private:
  TargetSpectrum(std::string label, std::vector<double> f, std::vector<double> S);
  std::string label_;
  std::vector<double> f_;
  std::vector<double> S_;
  std::vector<double> cumulative_;
  double peak_frequency_ = 0.0;
};

struct BandEnergy {
  double f_lower = 0.0;  // outer band edges, Hz
  double f_upper = 0.0;
  double m0 = 0.0;   // target energy between them (or over all frequencies, see below), m^2
  double Hm0 = 0.0;  // 4 sqrt(m0), m
  // Judged against the whole target (a JNS trailer's JONSWAP): m0 is its
  // energy over all frequencies, and this the share of it (0..1) that lies
  // outside f_lower..f_upper.
  std::optional<double> outside_share;
};

// Above this share of the whole target's energy outside the components'
// range the run's fmin and fmax cut the spectrum visibly, and the check says so.
inline constexpr double kOutsideShareFlag = 0.10;

// TargetBandEnergy, but with m0 and Hm0 of the whole target (all its
// frequencies) and the share outside the bands.
std::optional<BandEnergy> WholeTargetEnergy(const TargetSpectrum& target, std::span<const double> f,
                                            std::span<const double> a);

// Target energy over the bands of components f(0..N-1) with amplitudes a;
// nullopt without components.
std::optional<BandEnergy> TargetBandEnergy(const TargetSpectrum& target, std::span<const double> f,
                                           std::span<const double> a);

// Width (degrees) of the cells of an expected direction distribution: the
// direction nodes are one degree apart from -90 to +90, and a direction is
// drawn uniformly inside the cell between two nodes.
inline constexpr double kDirectionCellFirst = -90.0;
inline constexpr double kDirectionCellWidth = 1.0;
inline constexpr int kDirectionCells = 180;

// The distribution of the directions that wavecomp draws for components at
// frequencies f with cos^2s spreading (Smax, T1/3 in s, principal direction
// in degrees), as the probability of each one-degree cell, the components
// weighted by `weights`. Computed by the spreading stage itself. nullopt when
// there are no components or more than the stage can hold.
std::optional<std::vector<double>> SpreadDirectionCells(std::span<const double> f, std::span<const double> weights,
                                                        double Smax, double T13, double Dirc_deg);

// The share (0..1) of that cos^2s spreading, over the whole circle, that
// lies beyond +-90 degrees and which the run cuts off (its nodes run from
// -90 to +90), the components weighted by `weights`; nullopt without
// components or for a principal direction beyond +-90 degrees.
std::optional<double> SpreadingCutShare(std::span<const double> f, std::span<const double> weights, double Smax,
                                        double T13, double Dirc_deg);

// The same for the directional spectrum of one point of Emep or Ene data
// (`type`), brought onto the direction nodes at the frequencies f by the
// program's own direction interpolation, using the tables of `workspace`.
// nullopt when there are no components, more than the stage holds, or a
// table beyond its capacities.
std::optional<std::vector<double>> InterpolatedDirectionCells(SpectrumType type, const PointInput& point,
                                                              std::span<const double> f,
                                                              std::span<const double> weights,
                                                              SpectrumWorkspace& workspace);

}  // namespace wavecomp::check
