// Spectral netCDF files, read through the netCDF C library into the value
// every source yields (input/swan_file.h).
//
// Recognised, from the file's own names and attributes:
//   the density  efth (WAVEWATCH III), density (SWAN), d2fd (ERA5), or any
//                variable whose standard_name is
//                sea_surface_wave_directional_variance_spectral_density;
//                its units m2 s rad-1 (also written m**2 s radian**-1) or
//                m2 s degree-1; scale_factor and add_offset applied;
//                _FillValue, missing_value and the library's default fill
//                are missing; d2fd holds log10 of the density (ECMWF), its
//                missing values being densities too small to encode (zero);
//   frequency    a coordinate "frequency" (Hz, s-1), or ERA5's indices 1..30
//                of f_n = 0.03453 * 1.1^(n-1) Hz;
//   direction    a coordinate "direction" in degrees or radians, whose
//                standard_name says the convention:
//                sea_surface_wave_from_direction (SWAN) or
//                sea_surface_wave_to_direction (WAVEWATCH III), both
//                clockwise from North; ERA5's indices 1..n of
//                (n - 1/2) 360/n degrees, the direction the waves travel to
//                (ECMWF, "2D wave spectra": oceanographic convention);
//   time         "UNIT since YYYY-MM-DD[ T]hh:mm:ss" (seconds, minutes,
//                hours, days);
//   locations    every other dimension of the density (station, points,
//                latitude x longitude), flattened in the variable's order;
//                their longitude and latitude where the file has them.
// A location all of whose values are missing at a time (land) has no data.
// NDBC's netCDF buoy files (spectral_wave_density and the four direction
// variables) are read as buoy series (input/ndbc_spectra.h).
// What is not recognised is refused naming the variable and what was found.
#pragma once

#include <string>

#include "input/ndbc_spectra.h"
#include "input/swan_file.h"
#include "textio/errors.h"

namespace wavecomp::spectra {

// A netCDF file that departs from what a reader expects:
//   input error in <file>, variable <name>: expected <what>, found <what>
class VariableError : public textio::InputError {
 public:
  VariableError(const std::string& file, const std::string& variable, const std::string& expected,
                const std::string& found);
};

// The file opens with a netCDF (classic, 64-bit, CDF5) or HDF5 signature.
bool LooksLikeNetcdf(const std::string& path);
// It holds NDBC's spectral_wave_density.
bool IsNdbcNetcdf(const std::string& path);

swan::SwanFile ReadNetcdfSpectra(const std::string& path);
BuoySeries ReadNdbcNetcdf(const std::string& path);

}  // namespace wavecomp::spectra
