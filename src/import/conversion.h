// Conversion of SWAN spectra into the layouts wavecomp reads.
//
// 2D (Emep): each location's spectrum is interpolated onto the Emep direction
// grid theta_j = -180 + (j-1) 360/mdd (model degrees, j = 1..mdd): linearly
// between the SWAN bin centres, round the circle for a full-circle file;
// a sector file is zero outside its sector and holds its end bins' values
// out to the sector edges. Every frequency is then rescaled so that
// sum_j D(f, theta_j) * 360/mdd equals the SWAN S(f) (m2/Hz), which is what
// the data file writes beside the frequency. D is in m2/Hz/degr.
//
// Energy travelling offshore (beyond +-90 degrees) is left out with
// swan::Offshore::kDrop: the 2D grid directions beyond +-90 get zero and S(f)
// is the onshore part's; a 1D density is scaled by its frequency's estimated
// onshore share.
//
// 1D (Sspe): the variance density S(f) as it stands, with H1/3 = Hm0,
// T1/3 = Tp / 1.05 and the principal direction from the directional moments.
//
// Frequency refinement: wavecomp's division sizes its equal-energy bands by
// the table's trapezoid energy but fills them from a cubic spline through
// the table. On a coarse convex table the spline holds less, and the last
// bands of a large N cannot be filled. Linear interpolation between the SWAN
// frequencies keeps the trapezoid energy exactly and brings the spline's
// energy towards it as the square of the step; the smallest number of equal
// sub-steps per interval is chosen for which the averaged table (what the
// division reads) lacks at most a quarter of a band of N = 1024, and every
// location's own spline energy (its amplitudes) is within 0.2 % of its
// trapezoid energy.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "input/emep_layout.h"
#include "input/frequency_spectrum_file.h"
#include "input/swan_file.h"
#include "input/swan_sea_state.h"

namespace wavecomp::importer {

// How a number is written to its file (Ew.d).
struct NumberFormat {
  int w = 12;
  int d = 5;
};
inline constexpr NumberFormat kEmepFormat{emep_layout::kRealWidth, emep_layout::kRealDecimals};
inline constexpr NumberFormat kSspeFormat{sspe_layout::kRealWidth, sspe_layout::kRealDecimals};

// The value a reader gets back from `value` written as Ew.d.
double AsWritten(double value, NumberFormat format);

// Written frequency m lies in SWAN interval `interval[m]` at the fraction
// `t[m]` of its width (the last one at t = 0 of the last frequency).
struct RefinedGrid {
  int factor = 1;                     // equal sub-steps per SWAN interval
  std::vector<double> frequencies;    // Hz, as written
  std::vector<std::size_t> interval;  // SWAN frequency index i
  std::vector<double> t;              // 0 <= t < 1
};

struct Refinement {
  RefinedGrid grid;
  double unrefined_shortfall = 0.0;   // 1 - spline energy / trapezoid energy of the averaged SWAN table
  double shortfall = 0.0;             // the same for the written table
  double worst_location_error = 0.0;  // largest |spline / trapezoid - 1| of a location's written table
  bool sufficient = false;            // the bounds hold (false: the finest grid that fits 3000 frequencies)
};

// (E_trap - E_spline) / E_trap of a table as wavecomp's division sees it:
// the spline clipped at zero, integrated over 99999 fine steps.
double DivisionShortfall(std::span<const double> f, std::span<const double> S);

// The refinement of the SWAN frequencies `f` for the tables `S[v]` (one per
// location, all of the same length as f).
Refinement ChooseRefinement(std::span<const double> f, std::span<const std::vector<double>> S, NumberFormat format);

// Row m of a table refined on `grid` from `coarse` (rows of `width` values
// per SWAN frequency) into out[0..width).
void RefinedRow(std::span<const double> coarse, std::size_t width, const RefinedGrid& grid, std::size_t m, double* out);

// Direction count of the Emep grid by default: the resolution of the SWAN
// directions (360 / their usual step), rounded to the nearest whole divisor
// of 360 of at most 200.
int DefaultDirectionCount(const swan::DirectionBins& bins);

// One location on the Emep grid, on the SWAN frequencies.
struct EmepPoint {
  std::size_t location = 0;  // 1-based SWAN index, the point number
  bool zero = false;         // ZERO in the file
  std::vector<double> S;     // m2/Hz, per SWAN frequency
  std::vector<double> D;     // m2/Hz/degr, nfreq x mdd, frequency-major
};

struct EmepConversion {
  std::string model = "SWAN";  // the source, in the separators between points
  int mdd = 0;
  std::vector<double> swan_frequencies;
  std::vector<EmepPoint> points;
  Refinement refinement;
  // Frequencies whose energy fell between the grid directions (a narrow
  // sector on a coarse grid) and went to the direction nearest its mean.
  std::size_t lumped_frequencies = 0;
  double largest_value = 0.0;  // largest D written, m2/Hz/degr
};

// `locations` are 0-based indices of blocks of `time` that hold values or ZERO.
// With kDrop the grid directions beyond +-90 degrees are zero and S(f) is
// the onshore part's.
EmepConversion ConvertToEmep(const swan::SwanFile& file, const swan::TimeStep& time,
                             std::span<const std::size_t> locations, const swan::DirectionBins& bins, int mdd,
                             double scale, swan::Offshore offshore = swan::Offshore::kKeep);

struct SspeTable {
  std::size_t location = 0;  // 1-based SWAN index
  double h13 = 0.0;          // m
  double t13 = 0.0;          // s
  double direction = 0.0;    // model degrees
  std::vector<double> S;     // m2/Hz, per SWAN frequency
  Refinement refinement;
};

// `state` describes the sea as kept (swan::SeaState1D with `offshore`).
SspeTable ConvertToSspe(const swan::SwanFile& file, const swan::ModelFrame& frame, std::size_t location,
                        const swan::LocationBlock& block, const swan::SeaState& state, double scale,
                        swan::Offshore offshore = swan::Offshore::kKeep);

}  // namespace wavecomp::importer
