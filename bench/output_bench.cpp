// Times the component wave file writers on made-up spectra:
//   - the per-point band energies alone (1 and 2 workers) and the whole
//     multi-point writer for N = 1024 components at 2048 points of 64
//     frequencies (the heaviest run the capacities allow at that table size);
//   - the multi-point writer for N = 256 at 100 points;
//   - the single-point writer for N = 1024.
// Usage: output_bench [quick]   ("quick" skips the 2048-point case)
#include <time.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/console.h"
#include "core/workspace.h"
#include "output/component_file.h"
#include "output/component_records.h"
#include "output/component_set_stage.h"
#include "output/multipoint_file.h"
#include "output/point_amplitudes.h"

namespace {

using wavecomp::SpectrumWorkspace;

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// CPU seconds of the whole process (all threads): with other work on the
// machine the wall time says little, the CPU time still does.
double CpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// num_p JONSWAP-like spectra over nss frequencies, N equal bands over them.
void Fill(SpectrumWorkspace& ws, int N, int num_p, int nss) {
  ws.points.num_p = num_p;
  ws.points.nss = nss;
  ws.energy.E_in = 1.02;
  ws.energy.E_spl = 1.0;
  for (int l = 1; l <= nss; ++l) ws.input.f_in[l] = 0.03 + 0.47 * (l - 1) / (nss - 1);
  for (int v = 1; v <= num_p; ++v) {
    ws.points.point_numbers[v] = v;
    const double peak = 0.08 + 0.04 * v / num_p;
    for (int l = 1; l <= nss; ++l) {
      const double f = ws.input.f_in[l];
      ws.points.point_spectra(l, v) = std::exp(-1.25 * std::pow(peak / f, 4.0)) / std::pow(f, 5.0) * 1e-3;
    }
  }
  const double low = ws.input.f_in[1];
  const double width = (ws.input.f_in[nss] - low) / N;
  for (int i = 1; i <= N; ++i) {
    ws.bands.band_start[i] = low + (i - 1) * width;
    ws.bands.band_width[i] = width;
    ws.bands.f[i] = ws.bands.band_start[i] + 0.5 * width;
    ws.draws.a[i] = 0.01;
    ws.draws.theta[i] = 0.1 * std::sin(i);
    ws.draws.phase[i] = 3.0 + std::cos(i);
  }
}

void MultiPoint(const std::filesystem::path& folder, int N, int num_p, int nss, bool kernel_alone) {
  const std::string output = (folder / "multi.dat").string();
  wavecomp::WorkspacePtr ws = wavecomp::MakeWorkspace();
  Fill(*ws, N, num_p, nss);
  const wavecomp::PointAmplitudeSources sources{
      wavecomp::SpectrumType::kEne, N, ws->input, ws->points, ws->bands, ws->energy};
  wavecomp::Console console;
  if (kernel_alone) {
    for (int threads : {1, 2}) {
      const auto start = std::chrono::steady_clock::now();
      const double cpu = CpuSeconds();
      wavecomp::ComputePointAmplitudes(sources, ws->point_amplitudes, console, {threads, 0});
      std::printf("band energies  N=%4d num_p=%4d nss=%4d threads=%d: %8.3f s wall, %8.3f s CPU\n", N, num_p, nss,
                  threads, Seconds(start), CpuSeconds() - cpu);
    }
  }
  const auto start = std::chrono::steady_clock::now();
  const double cpu = CpuSeconds();
  wavecomp::textio::OutputSet outputs;
  wavecomp::textio::OutputFile file = wavecomp::CreateComponentFile(output, true, outputs);
  const wavecomp::ComponentSet set = wavecomp::MultiPointComponentSet(sources, ws->draws, ws->point_amplitudes, console);
  wavecomp::WriteMultiPointComponentFile(std::move(file), set, outputs);
  outputs.PublishAll();
  const double seconds = Seconds(start);
  std::printf("multi-point writer N=%4d num_p=%4d nss=%4d: %8.3f s wall, %8.3f s CPU, %6.1f MB\n", N, num_p, nss,
              seconds, CpuSeconds() - cpu, static_cast<double>(std::filesystem::file_size(output)) / 1e6);
  std::filesystem::remove(output);
}

void SinglePoint(const std::filesystem::path& folder, int N) {
  const std::string output = (folder / "single.dat").string();
  wavecomp::WorkspacePtr ws = wavecomp::MakeWorkspace();
  Fill(*ws, N, 1, 64);
  wavecomp::RunRecord run;
  run.type = wavecomp::SpectrumType::kEne;
  run.input_file_name = "bench";
  const auto start = std::chrono::steady_clock::now();
  wavecomp::textio::OutputSet outputs;
  const wavecomp::ComponentSet set = wavecomp::SinglePointComponentSet(N, ws->bands, ws->draws, ws->energy, run);
  wavecomp::WriteComponentFile(wavecomp::CreateComponentFile(output, false, outputs), set, outputs);
  outputs.PublishAll();
  std::printf("single-point writer N=%4d: %8.4f s\n", N, Seconds(start));
  std::filesystem::remove(output);
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "quick") == 0;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "wavecomp-output-bench";
  std::filesystem::create_directories(folder);
  SinglePoint(folder, 1024);
  MultiPoint(folder, 256, 100, 64, false);
  MultiPoint(folder, 256, 100, 3000, false);
  if (!quick) MultiPoint(folder, 1024, 2048, 64, true);
  std::filesystem::remove_all(folder);
  return 0;
}
