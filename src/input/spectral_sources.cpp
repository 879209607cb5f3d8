#include "input/spectral_sources.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "input/ndbc_spectra.h"
#include "input/netcdf_spectra.h"
#include "input/ww3_spectra.h"
#include "textio/errors.h"
#include "textio/records.h"

namespace wavecomp::spectra {
namespace {

swan::SwanFile ReadSwan(const std::string& path) {
  const std::optional<textio::TextFile> text = textio::TextFile::Open(path);
  if (!text) throw textio::UnopenableFile("SWAN file", path);
  return swan::ReadSwanFile(*text);
}

swan::SwanFile ReadWw3(const std::string& path) {
  const std::optional<textio::TextFile> text = textio::TextFile::Open(path);
  if (!text) throw textio::UnopenableFile("WAVEWATCH III spectrum file", path);
  return ReadWw3Spectra(*text);
}

bool IsNetcdfSpectra(const std::string& path) { return LooksLikeNetcdf(path) && !IsNdbcNetcdf(path); }

bool IsWw3(const std::string& path) { return LooksLikeWw3(FileHead(path, kWw3Title.size())); }

const std::array kSources = {
    SpectralSource{"swan", "SWAN", "SWAN_FILE", "SWAN file", "a SWAN spectrum file",
                   "A SWAN spectrum file: 2D spectra become an Emep data file NAME and its point list NAME.pnt, 1D "
                   "spectra an Sspe table NAME per location (NAME_L<k> for several).",
                   "the SWAN spectrum file (ASCII)", ReadSwan, nullptr},
    SpectralSource{"ww3", "WAVEWATCH III", "WW3_FILE", "WAVEWATCH III spectrum file", "a WAVEWATCH III spectrum file",
                   "WAVEWATCH III point spectra in the text layout of ww3_outp: an Emep data file NAME and its point "
                   "list NAME.pnt.",
                   "the WAVEWATCH III point spectrum file ('WAVEWATCH III SPECTRA')", ReadWw3, IsWw3},
    SpectralSource{"netcdf", "netCDF", "NETCDF_FILE", "netCDF file", "a spectral netCDF file",
                   "A spectral netCDF file as WAVEWATCH III (efth), SWAN (density) or ERA5 (d2fd) write it: an Emep "
                   "data file NAME and its point list NAME.pnt.",
                   "the netCDF file", ReadNetcdfSpectra, IsNetcdfSpectra},
    SpectralSource{"ndbc", "NDBC", "NDBC_FILE", "NDBC spectral density file", "an NDBC buoy spectrum file",
                   "NDBC buoy spectra: STATION.data_spec with its .swdir, .swdir2, .swr1 and .swr2, the yearly "
                   "STATIONwYEAR file (plain or .gz) with its d, i, j and k files, or the netCDF file; directions by "
                   "the maximum entropy method: an Emep data file NAME and its point list NAME.pnt (an Sspe table "
                   "NAME without direction files).",
                   "the spectral density file (.data_spec, wYEAR, or .nc)", ReadNdbcSpectra, LooksLikeNdbc},
};

}  // namespace

std::span<const SpectralSource> SpectralSources() { return kSources; }

const SpectralSource* FindSpectralSource(std::string_view command) {
  for (const SpectralSource& source : kSources) {
    if (source.command == command) return &source;
  }
  return nullptr;
}

std::string SpectralSourceCommands() {
  std::string text;
  for (std::size_t k = 0; k < kSources.size(); ++k) {
    if (k > 0) text += k + 1 == kSources.size() ? " and " : ", ";
    text += kSources[k].command;
  }
  return text;
}

swan::TimeStep StampedTime(int year, int month, int day, int hour, int minute, int second) {
  swan::TimeStep time;
  time.year = year;
  time.month = month;
  time.day = day;
  time.hour = hour;
  time.minute = minute;
  time.second = second;
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d.%02d%02d%02d", year, month, day, hour, minute, second);
  time.stamp = stamp;
  return time;
}

swan::TimeStep TimeFromEpoch(double seconds) {
  // Whole seconds: model output times are whole, a day's fraction in a
  // float day count is not quite.
  const long long total = std::llround(seconds);
  long long days = total / 86400;
  long long rest = total % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  // Days to the civil date (proleptic Gregorian), by eras of 400 years.
  const long long z = days + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long day = doy - (153 * mp + 2) / 5 + 1;
  const long long month = mp < 10 ? mp + 3 : mp - 9;
  const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  return StampedTime(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day),
                     static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
}

namespace {

// What every source's file shares once read: spherical locations, nautical
// directions, one time coding.
swan::SwanFile SourceFile(std::string name, std::string model, std::vector<double> f, bool two_dimensional) {
  swan::SwanFile file;
  file.name = std::move(name);
  file.model = std::move(model);
  file.time_coding = 1;
  file.coordinates = swan::Coordinates::kSpherical;
  file.frequencies = std::move(f);
  file.two_dimensional = two_dimensional;
  file.direction_convention = swan::DirectionConvention::kNautical;
  return file;
}

}  // namespace

swan::SwanFile Directional2D(std::string name, std::string model, std::vector<double> f, std::vector<double> from) {
  swan::SwanFile file = SourceFile(std::move(name), std::move(model), std::move(f), true);
  file.directions = std::move(from);
  file.quantities.push_back({"VaDens", "m2/Hz/degr", -99.0, 0});
  return file;
}

swan::SwanFile Frequency1D(std::string name, std::string model, std::vector<double> f) {
  swan::SwanFile file = SourceFile(std::move(name), std::move(model), std::move(f), false);
  file.quantities.push_back({"VaDens", "m2/Hz", -99.0, 0});
  file.quantities.push_back({"NDIR", "degr", -999.0, 0});
  file.quantities.push_back({"DSPRDEGR", "degr", -9.0, 0});
  return file;
}

double FromOfGoingTo(double degrees) {
  const double from = std::fmod(degrees + 180.0, 360.0);
  return from < 0.0 ? from + 360.0 : from;
}

std::string FileHead(const std::string& path, std::size_t count) {
  std::ifstream in(path, std::ios::binary);
  std::string head(count, '\0');
  if (!in) return {};
  in.read(head.data(), static_cast<std::streamsize>(count));
  head.resize(static_cast<std::size_t>(in.gcount()));
  return head;
}

}  // namespace wavecomp::spectra
