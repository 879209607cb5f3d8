// Times wavecomp-import swan on a large 2D file: 240 locations x 40
// frequencies x 36 directions x 5 times (target: under 0.5 s for the whole
// conversion with --all-times). Prints the file size, the time to read the
// file alone and the time of the whole import (read, convert, write and
// publish the 10 files), best of three, CPU and wall clock. Then the same
// sea as a spectral netCDF file through wavecomp-import netcdf (target:
// under 1 s).
// Usage: import_bench [folder]   (default: a folder under /tmp, removed after)
#include <netcdf.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <stdexcept>
#include <string>
#include <vector>

#include "import/swan_import.h"
#include "input/swan_file.h"
#include "textio/format.h"
#include "textio/records.h"

namespace {

namespace importer = wavecomp::importer;
namespace textio = wavecomp::textio;

constexpr int kLocations = 240;
constexpr int kFrequencies = 40;
constexpr int kDirections = 36;
constexpr int kTimes = 5;
constexpr int kRounds = 3;

double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

double WallSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The density (m2/Hz/degree, frequency slowest) at location k and time t:
// a JONSWAP-like sea times cos^2s spreading, its height, period and
// direction varying with the location and the time.
std::vector<double> SeaValues(int t, int k) {
  std::vector<double> values(kFrequencies * kDirections);
  const double fp = 1.0 / (8.0 + 0.02 * k + t);
  const double mean = 250.0 + 0.1 * k + 3.0 * t;
  for (int i = 0; i < kFrequencies; ++i) {
    const double f = 0.035 * std::pow(1.1, i);
    const double sigma = f <= fp ? 0.07 : 0.09;
    const double shape = std::pow(f, -5.0) * std::exp(-1.25 * std::pow(fp / f, 4.0)) *
                         std::pow(3.3, std::exp(-std::pow(f / fp - 1.0, 2.0) / (2.0 * sigma * sigma)));
    for (int j = 0; j < kDirections; ++j) {
      const double half = (5.0 + 10.0 * j - mean) * std::numbers::pi / 360.0;
      values[static_cast<std::size_t>(i * kDirections + j)] = shape * std::pow(std::cos(half), 20.0);
    }
  }
  return values;
}

// The same sea as SWAN's netCDF output holds it: density(time, points,
// frequency, direction) in m2 s degree-1, directions coming from.
void WriteNetcdf(const std::string& path) {
  const auto check = [](int status) {
    if (status != NC_NOERR) throw std::runtime_error(nc_strerror(status));
  };
  const auto text = [&](int nc, int id, const char* name, const std::string& value) {
    check(nc_put_att_text(nc, id, name, value.size(), value.c_str()));
  };
  int nc = 0;
  check(nc_create(path.c_str(), NC_CLOBBER | NC_NETCDF4, &nc));
  int dims[4];
  check(nc_def_dim(nc, "time", kTimes, &dims[0]));
  check(nc_def_dim(nc, "points", kLocations, &dims[1]));
  check(nc_def_dim(nc, "frequency", kFrequencies, &dims[2]));
  check(nc_def_dim(nc, "direction", kDirections, &dims[3]));
  int time_id = 0, frequency_id = 0, direction_id = 0, density_id = 0;
  check(nc_def_var(nc, "time", NC_DOUBLE, 1, &dims[0], &time_id));
  text(nc, time_id, "units", "seconds since 2024-01-01 00:00:00");
  check(nc_def_var(nc, "frequency", NC_DOUBLE, 1, &dims[2], &frequency_id));
  text(nc, frequency_id, "units", "s-1");
  check(nc_def_var(nc, "direction", NC_DOUBLE, 1, &dims[3], &direction_id));
  text(nc, direction_id, "units", "degree");
  text(nc, direction_id, "standard_name", "sea_surface_wave_from_direction");
  check(nc_def_var(nc, "density", NC_FLOAT, 4, dims, &density_id));
  text(nc, density_id, "units", "m2 s degree-1");
  check(nc_enddef(nc));
  std::vector<double> times, frequencies, directions, all;
  for (int t = 0; t < kTimes; ++t) times.push_back(3600.0 * t);
  for (int i = 0; i < kFrequencies; ++i) frequencies.push_back(0.035 * std::pow(1.1, i));
  for (int j = 0; j < kDirections; ++j) directions.push_back(5.0 + 10.0 * j);
  for (int t = 0; t < kTimes; ++t) {
    for (int k = 0; k < kLocations; ++k) {
      const std::vector<double> values = SeaValues(t, k);
      all.insert(all.end(), values.begin(), values.end());
    }
  }
  check(nc_put_var_double(nc, time_id, times.data()));
  check(nc_put_var_double(nc, frequency_id, frequencies.data()));
  check(nc_put_var_double(nc, direction_id, directions.data()));
  check(nc_put_var_double(nc, density_id, all.data()));
  check(nc_close(nc));
}

// The sea of SeaValues written as SWAN does (integers with a FACTOR per
// location).
std::string SwanText() {
  std::string text = "SWAN   1\nTIME\n     1\nLONLAT\n" + std::to_string(kLocations) + "\n";
  for (int k = 0; k < kLocations; ++k) {
    std::string line;
    textio::PutF(line, 160.0 + k / 16, 12, 4);
    textio::PutF(line, -40.0 + k % 16, 12, 4);
    text += line + "\n";
  }
  text += "AFREQ\n" + std::to_string(kFrequencies) + "\n";
  std::string line;
  for (int i = 0; i < kFrequencies; ++i) {
    line.clear();
    textio::PutF(line, 0.035 * std::pow(1.1, i), 10, 4);
    text += line + "\n";
  }
  text += "NDIR\n" + std::to_string(kDirections) + "\n";
  for (int j = 0; j < kDirections; ++j) text += std::to_string(5 + 10 * j) + ".0\n";
  text += "QUANT\n1\nVaDens\nm2/Hz/degr\n-99\n";
  for (int t = 0; t < kTimes; ++t) {
    text += "2024010" + std::to_string(1 + t) + ".000000\n";
    for (int k = 0; k < kLocations; ++k) {
      const std::vector<double> values = SeaValues(t, k);
      const double largest = *std::max_element(values.begin(), values.end());
      const double factor = largest / 9999.0;
      line.clear();
      textio::PutE(line, factor, 14, 6);
      text += "FACTOR\n" + line + "\n";
      for (int i = 0; i < kFrequencies; ++i) {
        line.clear();
        for (int j = 0; j < kDirections; ++j) {
          textio::PutI(line, std::lround(values[static_cast<std::size_t>(i * kDirections + j)] / factor), 5);
        }
        text += line + "\n";
      }
    }
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const bool own_folder = argc < 2;
  const std::filesystem::path folder =
      own_folder ? std::filesystem::temp_directory_path() / ("import-bench-" + std::to_string(::getpid())) : argv[1];
  std::filesystem::create_directories(folder);
  const std::string swan_path = (folder / "large.spc").string();
  { std::ofstream(swan_path, std::ios::binary) << SwanText(); }
  std::printf("SWAN file: %d locations x %d frequencies x %d directions x %d times, %.1f MB\n", kLocations,
              kFrequencies, kDirections, kTimes, static_cast<double>(std::filesystem::file_size(swan_path)) / 1e6);

  double best_read = 1e9;
  double best_cpu = 1e9;
  double best_wall = 1e9;
  std::uintmax_t written = 0;
  for (int round = 0; round < kRounds; ++round) {
    const double read_start = CpuSeconds();
    const std::optional<textio::TextFile> text = textio::TextFile::Open(swan_path);
    const wavecomp::swan::SwanFile file = wavecomp::swan::ReadSwanFile(*text);
    best_read = std::min(best_read, CpuSeconds() - read_start);

    importer::SwanImportOptions options;
    options.swan_file = swan_path;
    options.normal_from = 270.0;
    options.all_times = true;
    options.out = (folder / ("round" + std::to_string(round))).string();
    const double cpu = CpuSeconds();
    const double wall = WallSeconds();
    const importer::ImportReport report = importer::RunSwanImport(options);
    best_cpu = std::min(best_cpu, CpuSeconds() - cpu);
    best_wall = std::min(best_wall, WallSeconds() - wall);
    written = 0;
    for (const importer::OutputReport& output : report.outputs) {
      for (const std::string& name : output.files) written += std::filesystem::file_size(name);
    }
    if (round == 0) {
      const importer::Refinement& refinement = report.outputs.front().refinement;
      std::printf("Refinement: %dx, %zu written frequencies; %zu outputs, %.1f MB written\n", refinement.grid.factor,
                  refinement.grid.frequencies.size(), report.outputs.size(), static_cast<double>(written) / 1e6);
    }
  }
  std::printf("read the SWAN file alone:      %.3f s CPU\n", best_read);
  std::printf("whole import (--all-times):    %.3f s CPU, %.3f s wall (best of %d)\n", best_cpu, best_wall, kRounds);

  const std::string netcdf_path = (folder / "large.nc").string();
  WriteNetcdf(netcdf_path);
  std::printf("netCDF file: the same sea, %.1f MB\n",
              static_cast<double>(std::filesystem::file_size(netcdf_path)) / 1e6);
  double netcdf_cpu = 1e9;
  double netcdf_wall = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    importer::ImportOptions options;
    options.source = "netcdf";
    options.swan_file = netcdf_path;
    options.normal_from = 270.0;
    options.all_times = true;
    options.out = (folder / ("netcdf" + std::to_string(round))).string();
    const double cpu = CpuSeconds();
    const double wall = WallSeconds();
    importer::RunImport(options);
    netcdf_cpu = std::min(netcdf_cpu, CpuSeconds() - cpu);
    netcdf_wall = std::min(netcdf_wall, WallSeconds() - wall);
  }
  std::printf("netCDF import (--all-times):   %.3f s CPU, %.3f s wall (best of %d)\n", netcdf_cpu, netcdf_wall,
              kRounds);
  if (own_folder) std::filesystem::remove_all(folder);
  return 0;
}
