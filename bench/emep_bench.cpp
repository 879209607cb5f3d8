// Times the Emep reader on a large data file and the direction interpolation
// on the largest tables it meets.
//
//   emep_bench [points frequencies directions [folder]]   (default 2048 64 36;
//   the folder, when given, keeps the data and the run's files)
//
// Writes the data file into a temporary folder, reads it with
// ReadDirectionalSpectrum (best of three), then times resample_directions
// for 3000 input frequencies, 101 kept directions and 1024 components.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/console.h"
#include "core/workspace.h"
#include "input/directional_spectrum_reader.h"
#include "resample/direction_interpolation.h"
#include "resample/input_tables.h"
#include "textio/format.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// E12.5, the layout of the data files.
void PutE12(std::string& out, double value) { wavecomp::textio::PutE(out, value, 12, 5); }

std::string MakeData(int points, int frequencies, int directions) {
  std::string data = "BENCH large Emep data\n";
  data.reserve(static_cast<std::size_t>(points) * static_cast<std::size_t>(frequencies) *
               (26 + static_cast<std::size_t>(directions + 5) / 6 * 73));
  char header[96];
  for (int v = 1; v <= points; ++v) {
    if (v > 1) data += "-------- next point --------\n";
    std::snprintf(header, sizeof header, "%-15s%5d%5d%5d%5d%5d%5d%5d\n", ("P" + std::to_string(v)).c_str(), 2024, 3, 1,
                  9, 0, frequencies, directions);
    data += header;
    const double mean = -30.0 + 60.0 * v / points;
    for (int l = 1; l <= frequencies; ++l) {
      const double f = 0.03 + 0.005 * l;
      const double s = std::exp(-std::pow((f - 0.1) / 0.03, 2)) + 1.0e-3;
      PutE12(data, f);
      PutE12(data, s);
      data += '\n';
      for (int j = 1; j <= directions; ++j) {
        const double theta = -180.0 + (j - 1) * 360.0 / directions;
        const double c = std::cos((theta - mean) * 3.141592653589793 / 360.0);
        PutE12(data, s * c * c * c * c + 1.0e-9);
        if (j % 6 == 0 || j == directions) data += '\n';
      }
    }
  }
  return data;
}

}  // namespace

int main(int argc, char** argv) {
  int points = 2048, frequencies = 64, directions = 36;
  if (argc >= 4) {
    points = std::atoi(argv[1]);
    frequencies = std::atoi(argv[2]);
    directions = std::atoi(argv[3]);
  }
  // A folder given as the fourth argument keeps the inputs and the run's
  // files, for timing the program on them again.
  const bool keep = argc >= 5;
  char folder_pattern[] = "/tmp/emep-bench-XXXXXX";
  if (!keep && ::mkdtemp(folder_pattern) == nullptr) return 1;
  const std::string folder = keep ? std::string(argv[4]) : std::string(folder_pattern);
  if (keep) std::filesystem::create_directories(folder);
  const std::string data_path = folder + "/bench";

  Clock::time_point start = Clock::now();
  const std::string data = MakeData(points, frequencies, directions);
  {
    std::FILE* file = std::fopen(data_path.c_str(), "wb");
    if (file == nullptr) return 1;
    std::fwrite(data.data(), 1, data.size(), file);
    std::fclose(file);
    file = std::fopen((data_path + ".pnt").c_str(), "wb");
    if (file == nullptr) return 1;
    std::fprintf(file, "%5d\n", points);
    for (int v = 1; v <= points; ++v) std::fprintf(file, "%5d\n", v);
    std::fclose(file);
  }
  std::printf("data file: %d points x %d frequencies x %d directions, %.1f MB (written in %.2f s)\n", points,
              frequencies, directions, static_cast<double>(data.size()) / 1.0e6, Seconds(start));

  double best_read = 1e9;
  for (int round = 0; round < 3; ++round) {
    wavecomp::WorkspacePtr ws = wavecomp::MakeWorkspace();
    wavecomp::ControlSettings control;
    control.type = wavecomp::SpectrumType::kEmep;
    control.input_file_field = data_path;
    wavecomp::Console console;
    start = Clock::now();
    wavecomp::FillInputTables(wavecomp::ReadDirectionalSpectrum(control, console), ws->input, ws->points,
                              ws->directions);
    best_read = std::min(best_read, Seconds(start));
    if (ws->points.num_p != points || ws->input.n_in != frequencies) {
      std::printf("unexpected result: num_p %d n_in %d\n", ws->points.num_p, ws->input.n_in);
      return 1;
    }
  }
  std::printf("ReadDirectionalSpectrum: %.3f s (best of 3), %.0f MB/s\n", best_read,
              static_cast<double>(data.size()) / 1.0e6 / best_read);

  // The whole program on the same data: N = 1024 components at every point.
  {
    std::FILE* control = std::fopen((folder + "/cont.txt").c_str(), "wb");
    if (control == nullptr) return 1;
    std::fprintf(control,
                 "whole-run benchmark\nSPECTRUM  Emep\nN_COMP          1024\nSMAX           999.0\n"
                 "IN_FILE   bench\nOUT_FILE  wave.dat\nH,T,DIR,G        1.0      10.0       0.0       3.3\n"
                 "FMIN,FMAX       0.01       1.0\nSEED              99\n");
    std::fclose(control);
    const std::string command = "cd " + folder + " && " + WAVECOMP_EXE + " </dev/null >/dev/null";
    start = Clock::now();
    const int status = std::system(command.c_str());
    std::printf("whole Emep run (N = 1024, %d points): %.2f s wall, exit %d, %.1f MB written\n", points, Seconds(start),
                status, static_cast<double>(std::filesystem::file_size(folder + "/wave.dat")) / 1.0e6);
  }
  if (!keep) std::filesystem::remove_all(folder);

  // The largest interpolation: 3000 input frequencies, 101 kept directions
  // (mdd = 200), 1024 components.
  wavecomp::WorkspacePtr ws = wavecomp::MakeWorkspace();
  wavecomp::InputSpectrum& input = ws->input;
  wavecomp::InputDirections& kept = ws->directions;
  input.n_in = wavecomp::kMaxFrequencies;
  kept.kept_direction_count = 101;
  const int N = wavecomp::kMaxUsedComponents;
  for (int l = 1; l <= input.n_in; ++l) input.f_in[l] = 0.01 + 0.0005 * l;
  for (int k = 1; k <= 101; ++k) {
    kept.kept_directions[k] = -90.0 + 1.8 * (k - 1);
    for (int l = 1; l <= input.n_in; ++l) {
      const double c = std::cos(kept.kept_directions[k] * 3.141592653589793 / 360.0);
      kept.directional_values(l, k) = std::exp(-std::pow((input.f_in[l] - 0.1) / 0.03, 2)) * c * c;
    }
  }
  for (int c = 1; c <= N; ++c) ws->bands.f[c] = 0.02 + 1.4 * c / 1024.0;
  wavecomp::Console console;
  start = Clock::now();
  wavecomp::resample_directions(wavecomp::SpectrumType::kEmep, N, input, kept, ws->bands, ws->direction_tables,
                                ws->distribution, console);
  std::printf("resample_directions (3000 frequencies, 101 directions, 1024 components): %.3f s\n", Seconds(start));
  return 0;
}
