// Energy-balance point reader on a large model output file: 5000 blocks of
// 35 directions and 25 frequencies, 200 points listed in random order (so the
// block search wraps round the file again and again). Times the reader alone,
// then a whole Ene run of the program with N = 512.
//
// Usage: ene_bench [folder]   (default: a fresh folder under /tmp)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "core/console.h"
#include "core/run_stop.h"
#include "core/workspace.h"
#include "input/energy_balance_reader.h"
#include "resample/input_tables.h"
#include "textio/format.h"

namespace {

constexpr int kBlocks = 5000;
constexpr int kDirections = 35;
constexpr int kFrequencies = 25;
constexpr int kPoints = 200;
constexpr int kComponents = 512;

// E10.3, the layout of the model's output file.
std::string Field(double value) {
  std::string text;
  wavecomp::textio::PutE(text, value, 10, 3);
  return text;
}

void AppendList(std::string& out, const std::vector<double>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    out += Field(values[i]);
    if (i % 8 == 7 || i + 1 == values.size()) out += '\n';
  }
}

std::string I5(int value) {
  std::string text;
  wavecomp::textio::PutI(text, value, 5);
  return text;
}

// Block b is point (1, b); its energy is a peaked spectrum spread as cos^2
// around a direction that turns slowly from block to block.
void WriteData(const std::string& path) {
  std::string text = "ENERGY BALANCE MODEL benchmark output\n" + I5(kFrequencies) + I5(kDirections) + "\n";
  std::vector<double> f, df;
  for (int l = 0; l < kFrequencies; ++l) {
    f.push_back(0.04 * std::pow(1.1, l));
    df.push_back(0.04 * std::pow(1.1, l) * 0.0953);
  }
  AppendList(text, f);
  AppendList(text, df);
  text += I5(kBlocks) + "\n";
  for (int b = 1; b <= kBlocks; ++b) {
    text += "    1    1" + I5(1) + I5(b) + " 1200.0000 3500.0000   15.2500    0.8227\n";
    const double mean = -30.0 + 60.0 * (b % 97) / 96.0;
    for (int j = 1; j <= kDirections; ++j) {
      const double theta = -90.0 + 5.0 * j;
      const double spread = std::pow(std::cos((theta - mean) * 3.141592653589793 / 360.0), 2.0);
      std::vector<double> group{theta};
      for (int l = 0; l < kFrequencies; ++l) {
        const double x = f[static_cast<std::size_t>(l)] / 0.1;
        group.push_back(1.0e-3 * std::exp(-1.25 / (x * x * x * x)) / (x * x * x * x * x) * spread *
                        df[static_cast<std::size_t>(l)]);
      }
      AppendList(text, group);
    }
  }
  std::ofstream(path, std::ios::binary) << text;
}

void WritePointList(const std::string& path) {
  std::vector<int> blocks(kBlocks);
  std::iota(blocks.begin(), blocks.end(), 1);
  std::mt19937 random(4711);
  std::shuffle(blocks.begin(), blocks.end(), random);
  std::string text = I5(kPoints) + I5(1) + "\n";
  for (int v = 0; v < kPoints; ++v) text += I5(v + 1) + I5(blocks[static_cast<std::size_t>(v)]) + "\n";
  std::ofstream(path, std::ios::binary) << text;
}

void WriteControlFile(const std::string& path) {
  std::ofstream(path, std::ios::binary) << "Ene benchmark\n"
                                        << "SPECTRUM  Ene\n"
                                        << "N_COMP    " << I5(kComponents) << "\n"
                                        << "SMAX           999.0\n"
                                        << "IN_FILE   ebm.out\n"
                                        << "OUT_FILE  wave.dat\n"
                                        << "H,T,DIR,G        1.0      10.0       0.0       3.3\n"
                                        << "FMIN,FMAX       0.01       1.0\n"
                                        << "SEED               7\n";
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder = argc > 1 ? argv[1] : "";
  if (folder.empty()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "wavecomp-ene-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return 1;
    folder = pattern;
  }
  const std::string data_path = folder + "/ebm.out";
  WriteData(data_path);
  WritePointList(data_path + ".pnt");
  WriteControlFile(folder + "/cont.txt");
  std::printf("data file: %s (%.1f MB, %d blocks, %d points in random order)\n", data_path.c_str(),
              static_cast<double>(std::filesystem::file_size(data_path)) / 1.0e6, kBlocks, kPoints);

  double best = 1.0e9;
  for (int repeat = 0; repeat < 3; ++repeat) {
    wavecomp::WorkspacePtr ws = wavecomp::MakeWorkspace();
    wavecomp::ControlSettings control;
    control.type = wavecomp::SpectrumType::kEne;
    control.input_file_field = data_path;
    wavecomp::Console console;
    const auto start = std::chrono::steady_clock::now();
    try {
      wavecomp::FillInputTables(wavecomp::ReadEnergyBalancePoints(control, console), ws->input, ws->points,
                                ws->directions);
    } catch (const std::exception& error) {
      std::printf("reader stopped: %s\n", error.what());
      return 1;
    }
    best = std::min(best, Seconds(start));
    if (ws->points.num_p != kPoints) return 1;
  }
  std::printf("reader: %.3f s (best of 3)\n", best);

  const std::string command = "cd '" + folder + "' && rm -f wave.dat && '" WAVECOMP_EXE "' > run.log 2>&1";
  const auto start = std::chrono::steady_clock::now();
  const int status = std::system(command.c_str());
  std::printf("whole run (N = %d): %.3f s, exit status %d (console in %s/run.log)\n", kComponents, Seconds(start),
              WEXITSTATUS(status), folder.c_str());
  if (argc <= 1) std::filesystem::remove_all(folder);
  return 0;
}
