// The spectrum a run starts from, as a plain value: what every reader of an
// input file returns and what a caller that holds the numbers in memory
// builds itself. It holds the numbers as the input gives them; everything
// that is physics (the mean over the points, the directions a run keeps, the
// energies turned into densities) is done by the stage chain that takes it
// (GenerateComponentSet in app/component_generation.h, whose first stage is
// FillInputTables in resample/input_tables.h).
//
// Frame and units, for every kind:
//   frequency  Hz, rising strictly within a table;
//   direction  degrees in the model's frame: the direction the waves travel
//              to, measured from the normal of the model's offshore boundary
//              (0 = shore-normal, towards the shore; -90 and +90 along the
//              boundary), as cont.txt's Dirc. Directions beyond -90..+90
//              travel away from the shore and may be given; the chain drops
//              or weighs them as the kind's rules say;
//   density    S(f) in m^2/Hz (= m^2 s).
//
// What each kind (its SpectrumInput, core/spectrum_types.h) holds:
//   kNothing (JNS): nothing; the settings give the spectrum.
//   kFrequencyTable (Sspe): `header` and one point (number 0): its
//       frequencies and densities S(f). No directional table.
//   kDirectionalPoints (Emep): every point's frequencies, S(f) and a
//       directional table D(f, theta) in m^2/(Hz deg) on `directions`
//       (the full circle as the file gives it); the run uses only the shape
//       of the mean table over the points, and each point's S(f).
//   kEnergyBalancePoints (Ene): `frequencies` and `bandwidths` (Hz) shared by
//       every point, and per point the energy E(f, theta) in m^2 of each
//       frequency band and direction bin on its `directions` (nd of them, the
//       bins 180/(nd + 1) degrees apart); the point's S(f) is derived by
//       AddPoint as the sum over directions of E / bandwidth.
//
// A value built in memory with the same numbers in the same order as a file
// gives the same run, bit for bit: the readers build it through AddPoint as
// well.
#pragma once

#include <cstdint>
#include <numbers>
#include <span>
#include <vector>

#include "core/spectrum_types.h"

namespace wavecomp {

// The first read of an Sspe table: the wave settings of the run, which take
// the place of those of cont.txt.
struct SpectrumFileHeader {
  double H13 = 0.0;   // m
  double T13 = 0.0;   // s
  double Dirc = 0.0;  // principal direction, degrees in the model's frame
};

// One point of a spectrum.
struct SpectrumPoint {
  std::int32_t number = 0;          // the point list's number, carried to the multi-point file; 0 for one point
  std::int32_t key = 0;             // Ene: the second key of the point's block (0 for one point)
  std::vector<double> frequencies;  // Hz
  std::vector<double> density;      // S(f), m^2/Hz; Ene: left empty, AddPoint derives it
  std::vector<double> directions;   // degrees, the columns of the point's directional table
  // The point's own directional table as given to AddPoint, only when the
  // value keeps it (SpectrumData::keep_point_tables): table[j * nf + l] for
  // direction j and frequency l (0-based), in the kind's unit.
  std::vector<double> table;
};

struct SpectrumData {
  SpectrumInput input = SpectrumInput::kNothing;
  SpectrumFileHeader header;          // kFrequencyTable only
  std::vector<double> frequencies;    // kEnergyBalancePoints: Hz, shared by every point
  std::vector<double> bandwidths;     // kEnergyBalancePoints: Hz, the band of each frequency
  std::vector<SpectrumPoint> points;  // in the point list's order
  // The count a point list gave when it gave no point (0 or below), for the
  // message that stops the run; 0 otherwise.
  std::int32_t listed_points = 0;
  // The points' directional tables summed cell by cell in the order they
  // were added, table_sum[j * nf + l]: all the run needs of them. The tables
  // themselves are not kept unless asked for (a file of 2048 points would
  // need them all in memory at once).
  std::vector<double> table_sum;
  bool keep_point_tables = false;  // set before the first AddPoint to keep each point's table too

  // Appends a point and adds its directional table (empty for kFrequencyTable)
  // into table_sum. Every directional table of a value has one size, that of
  // the first; another throws std::invalid_argument. For kEnergyBalancePoints
  // the point takes `frequencies` when it has none and its density
  // S(l) = sum over j of table[j * nf + l] / bandwidths[l].
  void AddPoint(SpectrumPoint point, std::span<const double> table = {});

  // The frequency count of a point's table (0 when there is no point).
  std::size_t table_frequencies() const { return points.empty() ? 0 : points.front().frequencies.size(); }
};

// A direction that faces the shore, -90 to +90 degrees with both ends: an Emep
// run keeps only these.
inline bool FacesShore(double degrees) { return degrees >= -90.0 && degrees <= 90.0; }

// The direction step of an Ene table of nd directions, radians: the bins
// share the half circle with the two halves at its ends.
inline double EnergyBalanceDirectionStep(int nd) { return 180.0 / (nd + 1) / 180.0 * std::numbers::pi; }

}  // namespace wavecomp
