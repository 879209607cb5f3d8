// NDBC buoy spectra, read into the value every source yields
// (input/swan_file.h): one location, the buoy, and one time per record.
//
// Layouts (NDBC, "Measurement descriptions and units"; Earle, NDBC
// Technical Document 96-01):
//   realtime   five files STATION.data_spec (spectral density, m2/Hz, after
//              a separation frequency), .swdir (alpha1), .swdir2 (alpha2),
//              .swr1 (r1), .swr2 (r2): a "#YY MM DD hh mm ..." header, then
//              per record the date and "value (frequency)" pairs; newest
//              record first;
//   historical the yearly files STATIONwYEAR (density), dYEAR (alpha1),
//              iYEAR (alpha2), jYEAR (r1), kYEAR (r2), plain or gzip: a
//              header "#YY MM DD hh mm f1 f2 ..." ("YYYY MM DD hh f1 ..."
//              before 2005, without minutes), then per record the date and
//              one value per frequency; r1 and r2 in hundredths when a value
//              exceeds 1;
//   netCDF     the yearly netCDF file (spectral_wave_density,
//              mean_wave_dir, principal_wave_dir, wave_spectrum_r1, _r2).
// alpha1 and alpha2 are the directions from which the waves come, degrees
// clockwise from true North, as the directions of a SWAN NDIR file: they
// are taken as they are. Missing values (999, 999.0, 999.00 and a density
// of 99.00; the fill values of netCDF) are counted: a missing density is
// zero energy, a frequency with energy but no direction is spread evenly
// round the circle (the summary says how many).
//
// The directional distribution of each frequency is estimated from r1,
// alpha1, r2, alpha2 by the maximum entropy method (synthesis/max_entropy.h)
// on a grid of kBuoyDirections directions; the density file alone (no
// direction files beside it) gives 1D spectra without directions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "input/swan_file.h"

namespace wavecomp::spectra {

// 5-degree steps: the maximum entropy estimate of a narrow swell is a few
// tens of degrees wide, which 5 degrees resolve.
inline constexpr int kBuoyDirections = 72;

// One record of a buoy; NaN where a value is missing.
struct BuoyRecord {
  swan::TimeStep time;
  std::vector<double> density;                 // m2/Hz
  std::vector<double> alpha1, alpha2, r1, r2;  // degrees, degrees, 0..1, 0..1; empty without direction files
};

struct BuoySeries {
  std::string name;    // the file as messages name it
  std::string layout;  // in words, for the summary
  double longitude = 0.0, latitude = 0.0;
  std::vector<double> frequencies;  // Hz, rising
  bool directional = false;
  std::vector<BuoyRecord> records;    // oldest first
  std::size_t missing_density = 0;    // values
  std::size_t missing_direction = 0;  // frequency records with energy but no alpha1 or r1
  std::vector<std::string> notes;
};

// The series as spectra: 2D by the maximum entropy method, or 1D.
swan::SwanFile BuoySpectra(const BuoySeries& series);

// Reads the set `path` belongs to: a .data_spec file, a historical w file
// or a netCDF file.
swan::SwanFile ReadNdbcSpectra(const std::string& path);
bool LooksLikeNdbc(const std::string& path);

}  // namespace wavecomp::spectra
