// wavecomp-check on the largest file wavecomp writes: 2048 points of 1024
// components (about 125 MB). Makes the file in a temporary folder, then
// times the whole check (read, statistics, summary) in this process, the
// reading alone, and the wavecomp-check program when it is built beside
// wavecomp. Goal: under 3 s on the 2-core machine.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "check/check_command.h"
#include "check/targets/component_file.h"
#include "core/console.h"
#include "textio/format.h"
#include "textio/records.h"

namespace {

constexpr int kPoints = 2048;
constexpr int kComponents = 1024;

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void WriteFile(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  std::string header;
  wavecomp::textio::PutI(header, kPoints, 5);
  out << header << '\n';
  // Component records are the same at every point except the amplitude,
  // as the multi-point writer makes them.
  std::vector<std::string> tails(kComponents);
  std::vector<std::string> frequencies(kComponents);
  unsigned state = 12345;
  for (int i = 0; i < kComponents; ++i) {
    state = state * 1103515245u + 12345u;
    const double theta = (static_cast<double>(state % 100000) / 100000.0 - 0.5) * 2.0;
    state = state * 1103515245u + 12345u;
    const double phase = static_cast<double>(state % 100000) / 100000.0 * 6.283185307179586;
    wavecomp::textio::PutE(frequencies[static_cast<std::size_t>(i)], 0.04 + 0.0005 * i, 15, 6);
    wavecomp::textio::PutE(tails[static_cast<std::size_t>(i)], theta, 15, 6);
    wavecomp::textio::PutE(tails[static_cast<std::size_t>(i)], phase, 15, 6);
  }
  std::string block;
  for (int v = 1; v <= kPoints; ++v) {
    block.clear();
    wavecomp::textio::PutI(block, kComponents, 5);
    wavecomp::textio::PutI(block, 9, 5);
    wavecomp::textio::PutF(block, 0.0, 10, 1);
    wavecomp::textio::PutI(block, v, 5);
    block += '\n';
    for (int i = 0; i < kComponents; ++i) {
      block += frequencies[static_cast<std::size_t>(i)];
      wavecomp::textio::PutE(block, 0.01 + 1.0e-5 * v + 1.0e-6 * i, 15, 6);
      block += tails[static_cast<std::size_t>(i)];
      block += '\n';
    }
    out << block;
  }
}

}  // namespace

int main() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("wavecomp-check-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string path = (folder / "multi.dat").string();
  auto start = std::chrono::steady_clock::now();
  WriteFile(path);
  std::printf("file: %d points x %d components, %.1f MB, made in %.2f s\n", kPoints, kComponents,
              static_cast<double>(std::filesystem::file_size(path)) / 1.0e6, Seconds(start));

  start = std::chrono::steady_clock::now();
  const std::optional<wavecomp::textio::TextFile> text = wavecomp::textio::TextFile::Open(path);
  const double load = Seconds(start);
  start = std::chrono::steady_clock::now();
  const wavecomp::check::ComponentFile file = wavecomp::check::ReadComponentFile(*text);
  std::printf("read into memory %.3f s, parsed %.3f s (%zu points)\n", load, Seconds(start), file.points.size());

  const std::vector<std::string> arguments = {path};
  wavecomp::Console out, err;
  start = std::chrono::steady_clock::now();
  const int status = wavecomp::check::RunCheckCommand(arguments, out, err);
  std::printf("whole check in this process: %.3f s (status %d, %zu bytes of summary)\n", Seconds(start), status,
              out.captured().size());

  const std::filesystem::path program = std::filesystem::path(WAVECOMP_EXE).parent_path() / "wavecomp-check";
  if (std::filesystem::exists(program)) {
    const std::string command = program.string() + " " + path + " > /dev/null";
    start = std::chrono::steady_clock::now();
    const int code = std::system(command.c_str());
    std::printf("wavecomp-check program: %.3f s (exit %d)\n", Seconds(start), WEXITSTATUS(code));
  }
  std::filesystem::remove_all(folder);
  return status == 0 ? 0 : 1;
}
