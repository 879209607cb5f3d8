// Statistics of one point's components.
//
// Glossary: f(i) frequency (Hz), a(i) amplitude (m), theta(i) direction (rad),
// eps(i) phase (rad), i = 0..N-1 here (0-based vectors). Every component
// carries the energy e(i) = a(i)^2 / 2 (m^2); m0 = sum of e(i), Hm0 = 4 sqrt(m0).
//
// Component density: the components stand for bands of the spectrum, so the
// energy between two neighbouring component frequencies is half of each one's
// energy, and the density there is (e(i) + e(i+1)) / 2 / (f(i+1) - f(i)),
// placed at the middle of the two frequencies. For equal-energy components
// this is proportional to one over the spacing.
//
// Directions use circular statistics weighted by energy: the mean direction
// is the direction of sum e(i) (cos theta, sin theta); the spread is
// sqrt(2 (1 - R)) with R the length of that sum over sum e(i) (the usual
// directional spread of wave measurements), both in degrees.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace wavecomp::check {

// Half-widths (degrees) of the direction windows around the mean direction.
inline constexpr std::array<double, 3> kShareHalfWidths = {10.0, 30.0, 60.0};

struct DensitySample {
  double f;  // Hz
  double S;  // m^2 s
};

struct DirectionStatistics {
  bool defined = false;  // false without energy
  double mean_deg = 0.0;
  double spread_deg = 0.0;
  std::array<double, kShareHalfWidths.size()> shares{};  // fractions 0..1 of the energy
};

struct PhaseUniformity {
  bool defined = false;       // false without components
  double ks_statistic = 0.0;  // Kolmogorov-Smirnov D against uniform on 0..2 pi
  double p_value = 0.0;
  std::size_t outside = 0;  // phases outside 0..2 pi, taken modulo 2 pi
};

struct PointStatistics {
  std::size_t count = 0;
  double f_low = 0.0;  // Hz, lowest and highest component frequency
  double f_high = 0.0;
  bool ascending = true;                 // component frequencies strictly increase
  double m0 = 0.0;                       // m^2
  double Hm0 = 0.0;                      // m
  std::optional<double> peak_frequency;  // Hz; nullopt without components
  DirectionStatistics directions;
  PhaseUniformity phases;
};

PointStatistics ComputeStatistics(std::span<const double> f, std::span<const double> a, std::span<const double> theta,
                                  std::span<const double> phase);

// The density between neighbouring components (N - 1 samples; pairs whose
// frequencies do not increase are left out).
std::vector<DensitySample> ComponentDensity(std::span<const double> f, std::span<const double> a);

// The frequency of the highest density, refined by the parabola through the
// highest sample and its two neighbours (not past either neighbour).
std::optional<double> PeakFrequency(std::span<const DensitySample> density);

// Circular statistics of directions (rad) with weights.
DirectionStatistics CircularStatistics(std::span<const double> theta, std::span<const double> weights);

// The same statistics of a distribution given as the probability of each of
// the cells [first_deg + k width_deg, first_deg + (k+1) width_deg), uniform
// inside a cell.
DirectionStatistics CellStatistics(std::span<const double> cell_mass, double first_deg, double width_deg);

// Kolmogorov-Smirnov test of the phases against the uniform distribution.
PhaseUniformity PhaseTest(std::span<const double> phase);

// The probability that the Kolmogorov-Smirnov statistic of n uniform samples
// reaches d (asymptotic distribution with Stephens' small-sample correction).
double KolmogorovPValue(double d, std::size_t n);

}  // namespace wavecomp::check
