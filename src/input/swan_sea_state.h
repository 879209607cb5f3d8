// SWAN spectra seen from the wave model: the model frame and the integral
// statistics of one location (shared by the importer and the checker).
//
// Model frame: `normal_from` is the nautical direction (degrees clockwise
// from North) from which a wave travelling straight along the model's
// shoreward x-axis comes. A wave's model direction is its angle from that
// axis, positive counterclockwise seen from above (from +x towards +y of a
// right-handed grid), or clockwise with `clockwise`. With normal_from 270 a
// wave from 250 degrees travels 20 degrees left of the axis: +20.
// Model directions are in (-180, 180].
//
// Statistics of a location:
//   E(f, theta)  variance density (m2/Hz/degr), S(f) = integral over theta (m2/Hz)
//   m0 = integral of S over f (trapezoid over the file's frequencies),
//   Hm0 = 4 sqrt(m0), Tp = 1 / the frequency of the largest S (a table value,
//   as SWAN reports RTpeak);
//   mean direction and spread from the first directional moments
//   a = integral of E cos(theta), b = the same with sin: mean = atan2(b, a),
//   spread = sqrt(2 (1 - R)) with R = sqrt(a^2 + b^2) / m0 (in degrees);
//   offshore share: the part of m0 travelling with |theta| > 90 degrees,
//   which the wave model's boundary (directions -90..+90) cannot take.
// Energy travelling offshore is not incident: with Offshore::kDrop a
// location's spectrum and statistics are those of its onshore part (each 2D
// bin weighted by the part of its width within -90..+90, each 1D frequency
// by its estimated onshore share); the offshore share and both Hm0 always
// describe the whole sea.
// A 2D bin stands for its width of directions (half the gaps to its
// neighbours; a sector's end bins as wide as their inner gap).
// 1D rows give a direction and a spreading sigma per frequency; the
// resultant of a frequency is R(f) = 1 - sigma^2 / 2 (sigma in radians), so
// a = integral of S R cos(theta) df; rows with energy but no direction or
// spreading are left out of the moments (counted). Their offshore share is
// estimated as if each frequency were spread normally around its direction.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "input/swan_file.h"

namespace wavecomp::swan {

// What becomes of the energy travelling offshore (beyond +-90 degrees).
enum class Offshore {
  kDrop,  // left out: the sea is its onshore part
  kKeep,  // kept as SWAN has it
};
// The option value of each ("drop", "keep"), and back; nullopt for other text.
const char* OffshoreName(Offshore offshore);
std::optional<Offshore> ParseOffshore(std::string_view text);

// More than this share of a location's energy travelling offshore means the
// frame is probably wrong: refused unless the choice is given explicitly.
inline constexpr double kMostlyOffshoreShare = 0.5;
// The wave model takes directions from -90 to +90 degrees.
inline constexpr double kOnshoreLimit = 90.0;

struct ModelFrame {
  double normal_from = 270.0;  // nautical degrees
  bool clockwise = false;
};

// Degrees into (-180, 180].
double WrapDegrees(double degrees);
// Model direction (degrees) of a SWAN direction of the given convention.
double ModelDirection(const ModelFrame& frame, double degrees, DirectionConvention convention);
// The nautical direction a wave of model direction theta comes from, 0..360.
double NauticalFrom(const ModelFrame& frame, double theta);

// The 2D file's direction bins in the model frame, ascending from the first
// bin after the widest gap (so a sector is one run; theta may pass 180).
struct DirectionBins {
  std::vector<double> theta;        // degrees, rising, within 360 of theta[0]
  std::vector<double> width;        // degrees
  std::vector<std::size_t> source;  // index j into the file's direction list
  bool full_circle = true;          // false: a sector, zero outside its edges
  double low_edge() const { return theta.front() - 0.5 * width.front(); }
  double high_edge() const { return theta.back() + 0.5 * width.back(); }
};
DirectionBins ModelBins(const SwanFile& file, const ModelFrame& frame);

// Metres of variance per unit of the file's density: 1 for VaDens,
// 1 / (rho g) for EnDens (rho in kg/m3, g in m/s2).
double VarianceScale(const SwanFile& file, double rho, double g);
inline constexpr double kDefaultRho = 1025.0;  // kg/m3
inline constexpr double kDefaultG = 9.81;      // m/s2

// Trapezoid weights of the frequencies: the integral of a tabulated g is
// the sum of g(i) w(i).
std::vector<double> TrapezoidWeights(std::span<const double> f);

// The part of each bin's width (0..1) that lies within -90..+90 degrees.
std::vector<double> OnshoreFractions(const DirectionBins& bins);

// S(f) of a 2D block in m2/Hz (all zero for ZERO and NODATA); its onshore
// part with kDrop.
std::vector<double> FrequencySpectrum(const SwanFile& file, const DirectionBins& bins, const LocationBlock& block,
                                      double scale, Offshore offshore = Offshore::kKeep);

// The statistics of the sea as kept: the whole sea, or its onshore part.
struct SeaState {
  double m0 = 0.0;                       // m2
  double hm0 = 0.0;                      // m
  double total_hm0 = 0.0;                // m, of the whole sea
  double onshore_hm0 = 0.0;              // m, of its onshore part
  std::optional<double> peak_frequency;  // Hz; nullopt without energy
  std::optional<double> tp;              // s
  std::optional<double> mean_direction;  // model degrees; nullopt without directional energy
  double spread = 0.0;                   // degrees
  double offshore_share = 0.0;           // 0..1 of the whole sea's energy with a direction
  std::optional<double> peak_spreading;  // 1D: sigma (degrees) of the row nearest the peak that has one
  std::size_t rows_left_out = 0;         // 1D: rows with energy but no direction or spreading
};

// S(f) of a location of either kind of file, m2/Hz.
std::vector<double> LocationSpectrum(const SwanFile& file, const ModelFrame& frame, const LocationBlock& block,
                                     double scale, Offshore offshore = Offshore::kKeep);

SeaState SeaState2D(const SwanFile& file, const DirectionBins& bins, const LocationBlock& block, double scale,
                    Offshore offshore = Offshore::kKeep);
SeaState SeaState1D(const SwanFile& file, const ModelFrame& frame, const LocationBlock& block, double scale,
                    Offshore offshore = Offshore::kKeep);
// Either, by the kind of file.
SeaState LocationSeaState(const SwanFile& file, const ModelFrame& frame, const LocationBlock& block, double scale,
                          Offshore offshore = Offshore::kKeep);

// The cos^2s spreading parameter whose directional spread is sigma
// (degrees): s = 2 / sigma^2 - 1 with sigma in radians.
double SpreadingParameter(double sigma_degrees);

}  // namespace wavecomp::swan
