// The time-domain check: synthesis of 1024 components over 10^6 time steps
// (goal: under 2 s on one core), its error against direct summation, the
// whole analysis of one point over three hours, that of 2048 such points on
// two threads as wavecomp-check --series runs them, and the figures of the
// JONSWAP example for N = 32, 256 and 1024 over three hours, made by running
// the real wavecomp.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "check/kernels/expectations.h"
#include "check/kernels/sea_surface.h"
#include "check/kernels/series_check.h"
#include "check/series_run.h"
#include "check/targets/component_file.h"
#include "textio/format.h"
#include "textio/records.h"

namespace {

using wavecomp::check::AnalyseSeries;
using wavecomp::check::PointSeries;

constexpr std::size_t kComponents = 1024;
constexpr std::size_t kSteps = 1000000;
constexpr int kPoints = 2048;

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

struct Components {
  std::vector<double> f, a, phase;
};

// Equal-energy components of a broad spectrum between 0.04 and 0.44 Hz with
// random phases: what a JONSWAP run of N = 1024 looks like to the synthesis.
Components MakeComponents() {
  Components c;
  std::mt19937_64 random(20260101);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (std::size_t i = 0; i < kComponents; ++i) {
    c.f.push_back(0.04 + 0.4 * static_cast<double>(i) / static_cast<double>(kComponents));
    c.a.push_back(0.0125);
    c.phase.push_back(2.0 * std::numbers::pi * unit(random));
  }
  return c;
}

// Runs wavecomp on the bundled JONSWAP example with N components in a fresh
// folder (it never overwrites a component file) and reads the file it writes.
std::optional<wavecomp::check::ComponentFile> RunJonswapExample(const std::string& folder, int count) {
  std::filesystem::create_directories(folder);
  std::ifstream example(std::string(WAVECOMP_SOURCE_DIR) + "/examples/jonswap/cont.txt");
  std::ostringstream control;
  for (std::string line; std::getline(example, line);) {
    if (line.rfind("N_COMP", 0) == 0) {
      line = "N_COMP    ";
      wavecomp::textio::PutI(line, count, 10);
    }
    control << line << '\n';
  }
  std::ofstream(folder + "/cont.txt", std::ios::binary) << control.str();
  const std::string command = "cd " + folder + " && " + WAVECOMP_EXE + " </dev/null >/dev/null";
  if (std::system(command.c_str()) != 0) return std::nullopt;
  const std::optional<wavecomp::textio::TextFile> text = wavecomp::textio::TextFile::Open(folder + "/wave.dat");
  if (!text) return std::nullopt;
  return wavecomp::check::ReadComponentFile(*text);
}

}  // namespace

int main() {
  const Components c = MakeComponents();
  const double dt = 1.0 / (20.0 * c.f.back());
  double m0 = 0.0;
  for (double a : c.a) m0 += 0.5 * a * a;
  const double Hm0 = 4.0 * std::sqrt(m0);

  double best = 1.0e9;
  std::vector<double> eta;
  for (int repeat = 0; repeat < 3; ++repeat) {
    const auto start = std::chrono::steady_clock::now();
    eta = wavecomp::check::SynthesiseRecord(c.f, c.a, c.phase, dt, kSteps);
    best = std::min(best, Seconds(start));
  }
  std::mt19937_64 random(7);
  std::uniform_int_distribution<std::size_t> pick(0, kSteps - 1);
  double error = 0.0;
  for (int j = 0; j < 2000; ++j) {
    const std::size_t k = pick(random);
    const double direct = wavecomp::check::DirectElevation(c.f, c.a, c.phase, static_cast<double>(k) * dt);
    error = std::max(error, std::abs(eta[k] - direct));
  }
  std::printf("synthesis %zu components x %zu steps: %.3f s (best of 3, one core), %.2f ns per component-step\n",
              kComponents, kSteps, best, best / (static_cast<double>(kComponents) * kSteps) * 1.0e9);
  std::printf("largest error against direct summation at 2000 random instants: %.2e of Hm0\n", error / Hm0);

  wavecomp::check::SeriesOptions options;
  options.keep_curves = false;
  auto start = std::chrono::steady_clock::now();
  const PointSeries point = AnalyseSeries(c.f, c.a, c.phase, options);
  const double whole = Seconds(start);
  std::printf("whole analysis of one point (%zu components, %.0f s at dt %.4f s, %zu samples): %.3f s\n", kComponents,
              point.duration_s, point.dt_s, point.samples, whole);

  // Points of the same components at amplitudes from 0.5 to 1.5 times,
  // as a multi-point run writes them.
  wavecomp::check::ComponentFile many;
  many.layout = wavecomp::check::FileLayout::kMultiPoint;
  many.num_p = kPoints;
  for (int v = 0; v < kPoints; ++v) {
    wavecomp::check::PointComponents p;
    p.point_number = v + 1;
    p.f = c.f;
    p.phase = c.phase;
    for (double a : c.a) p.a.push_back(a * (0.5 + static_cast<double>(v) / kPoints));
    p.theta.assign(c.f.size(), 0.0);
    many.points.push_back(std::move(p));
  }
  const wavecomp::check::SeriesGrid grid = wavecomp::check::PlanSeries(many, {});
  start = std::chrono::steady_clock::now();
  const wavecomp::check::FileSeries all = wavecomp::check::RunSeries(many, nullptr, grid, {});
  std::printf("%d points of %zu components over %.0f s on two threads: %.1f s (%zu repeat)\n", kPoints, kComponents,
              grid.duration_s, Seconds(start), all.repeating);

  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("wavecomp-series-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::printf("\nJONSWAP example (H1/3 1 m, T1/3 10 s, gamma 3.3) over 10800 s:\n");
  std::printf("%6s %9s %9s %9s %9s %9s %9s %10s %9s %9s %8s\n", "N", "Hm0", "H1/3", "T1/3", "Hmax", "H13/Hm0", "waves",
              "var err", "m0 err", "fp err", "max r");
  int status = 0;
  for (int count : {32, 256, 1024}) {
    const std::optional<wavecomp::check::ComponentFile> file =
        RunJonswapExample((folder / std::to_string(count)).string(), count);
    if (!file || file->points.size() != 1 || !file->trailer) {
      std::printf("%6d wavecomp did not write the file\n", count);
      status = 1;
      continue;
    }
    const wavecomp::check::PointComponents& p = file->points.front();
    const wavecomp::check::Trailer& trailer = *file->trailer;
    wavecomp::check::SeriesOptions jonswap;
    jonswap.duration_s = 10800.0;
    jonswap.keep_curves = false;
    jonswap.target_H13_m = trailer.H13;
    jonswap.target_T13_s = trailer.T13;
    jonswap.target = wavecomp::check::SeriesTarget::From(wavecomp::check::TargetSpectrum::Jonswap(
        trailer.H13, trailer.T13, trailer.gamma.value_or(3.3), p.f.front(), p.f.back()));
    start = std::chrono::steady_clock::now();
    const PointSeries s = AnalyseSeries(p.f, p.a, p.phase, jonswap);
    const double took = Seconds(start);
    std::printf("%6d %9.4f %9.4f %9.4f %9.4f %9.4f %9zu %10.2e %9.2e %9.2e %8.3f at %.1f s (%.3f s)\n", count, s.Hm0,
                s.waves.H13_m, s.waves.T13_s, s.waves.Hmax_m, s.H13_over_Hm0, s.waves.waves, s.variance_relative_error,
                s.versus_target ? s.versus_target->m0_relative_error : 0.0,
                s.versus_target ? s.versus_target->peak_frequency_relative_error : 0.0,
                s.repetition.max_autocorrelation, s.repetition.lag_s, took);
  }
  std::filesystem::remove_all(folder);
  return status;
}
