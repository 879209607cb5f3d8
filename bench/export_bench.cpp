// Times wavecomp-export --all-points on the largest file wavecomp writes:
// 2048 points of 1024 components (made up, 128 MB), into each format. The
// issue's bound is 5 s for one format on the 2-core development machine.
//   export_bench [format ...]   (default: every format)
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "output/multipoint_file.h"
#include "output/output_formats.h"
#include "textio/output_file.h"

namespace {

constexpr int kPoints = 2048;
constexpr int kComponents = 1024;

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Equal-energy-like components within +-80 deg, so that every format takes them.
wavecomp::ComponentSet MadeUpSet() {
  wavecomp::ComponentSet set;
  for (int i = 0; i < kComponents; ++i) {
    set.frequency.push_back(0.04 + 0.4 * i / kComponents);
    set.direction.push_back(1.4 * std::sin(0.7 * i));
    set.phase.push_back(std::fmod(2.399963 * i, 6.283185307179586));
  }
  for (int v = 1; v <= kPoints; ++v) {
    wavecomp::ComponentSet::Point& point = set.points.emplace_back();
    point.number = v;
    for (int i = 0; i < kComponents; ++i) point.amplitude.push_back(0.01 + 0.01 * std::sin(0.01 * i * v));
  }
  return set;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "export-bench";
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  const std::string source = (folder / "wave.dat").string();
  {
    wavecomp::textio::OutputSet outputs;
    wavecomp::WriteMultiPointComponentFile(
        wavecomp::textio::OutputFile::Create(source, wavecomp::textio::Publication::kNew), MadeUpSet(), outputs);
    outputs.PublishAll();
  }
  std::vector<std::string> formats(argv + 1, argv + argc);
  if (formats.empty()) {
    for (const wavecomp::OutputFormat& format : wavecomp::OutputFormats()) formats.emplace_back(format.name);
  }
  for (const std::string& format : formats) {
    const std::filesystem::path out = folder / format;
    std::filesystem::create_directories(out);
    const std::string command = std::string(WAVECOMP_EXPORT_EXE) + " " + format + " '" + source + "' --out '" +
                                (out / "x").string() + "' --all-points > /dev/null";
    const auto start = std::chrono::steady_clock::now();
    const int status = std::system(command.c_str());
    std::printf("%-8s %d points x %d components, --all-points: %.2f s wall (exit %d)\n", format.c_str(), kPoints,
                kComponents, Seconds(start), status);
    std::filesystem::remove_all(out);
  }
  std::filesystem::remove_all(folder);
  return 0;
}
