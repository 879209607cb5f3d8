// The sources of spectra wavecomp-import converts and wavecomp-check takes as
// --spectrum targets, one row each: a reader that yields the file as a
// swan::SwanFile (NDIR or CDIR degrees, variance densities per degree; see
// input/swan_file.h) and how the file is named and recognised. Everything
// after the reader (the frame, selection, refinement, refusals, summary and
// publishing) is shared, so a new source is one reader file and one row here.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "input/swan_file.h"

namespace wavecomp::spectra {

struct SpectralSource {
  std::string_view command;        // wavecomp-import's subcommand
  std::string_view model;          // the source in the options' help, e.g. SWAN
  std::string_view file_argument;  // its file in the usage, e.g. SWAN_FILE
  std::string_view file_kind;      // "cannot open the <file_kind> <path>"
  const char* a_file;              // the checker's name of such a file, e.g. "a SWAN spectrum file"
  std::string_view help;           // the subcommand in --help
  std::string_view file_help;      // the file argument in --help
  // Reads the whole file; UnopenableFile when it cannot be opened, the
  // textio input error where it departs from its layout.
  swan::SwanFile (*read)(const std::string& path);
  // The checker asks before reading: whether the file at `path` (its name and
  // first bytes) is of this source; nullptr for SWAN, whose text the checker
  // recognises itself.
  bool (*recognises)(const std::string& path);
};

// In the order of the usage: swan, ww3, netcdf, ndbc.
std::span<const SpectralSource> SpectralSources();
// nullptr for a command no row has.
const SpectralSource* FindSpectralSource(std::string_view command);
// "swan, ww3, netcdf and ndbc".
std::string SpectralSourceCommands();

// For the readers: a time stamped YYYYMMDD.HHMMSS, from its parts or from
// seconds since 1970-01-01 00:00 UTC (the netCDF time axes).
swan::TimeStep StampedTime(int year, int month, int day, int hour, int minute, int second);
swan::TimeStep TimeFromEpoch(double seconds);

// A file of `model` with 2D spectra on the frequencies `f` (Hz) and the
// directions `from` (degrees from which the waves come, clockwise from
// North, within 0..360), or 1D spectra (density, NDIR direction and
// spreading per frequency); times and locations still to be added.
swan::SwanFile Directional2D(std::string name, std::string model, std::vector<double> f, std::vector<double> from);
swan::SwanFile Frequency1D(std::string name, std::string model, std::vector<double> f);

// Degrees from which a wave comes, 0..360, of a direction it travels to.
double FromOfGoingTo(double degrees);

// The first `count` bytes of a file (fewer when it is shorter; empty when it
// cannot be read), for the recognisers.
std::string FileHead(const std::string& path, std::size_t count);

}  // namespace wavecomp::spectra
