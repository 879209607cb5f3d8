// Fuzz target: wavecomp-check on a fuzzed component file, run in-process
// through its command: the reader, the spectral sums, the summary or the
// JSON, the plot and a short time-domain check with its CSV. The first byte
// chooses the options; the rest is the file. Besides crashes it checks the
// checker's promises: the status is one of its four, a stop says why on
// standard error and publishes nothing, and a finished check shows no number
// that is not finite, in its summary, JSON, plot or CSV.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "check/check_command.h"
#include "core/console.h"
#include "fuzz_support.h"

namespace {

using wavecomp::fuzz::Finding;

constexpr const char* kComponentFileName = "in.dat";
constexpr const char* kPlotName = "out.svg";
constexpr const char* kSeriesName = "out.csv";

std::string ReadWhole(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A word a non-finite number is written as ("nan", "inf", "Infinity", ...).
bool HasNonFiniteWord(std::string_view text) {
  for (std::string_view word : {"nan", "NaN", "NAN", "inf", "Inf", "INF"}) {
    if (text.find(word) != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  wavecomp::fuzz::EnterScratchFolder();
  wavecomp::fuzz::ClearScratchFolder();
  const std::string_view file(reinterpret_cast<const char*>(data + 1), size - 1);
  wavecomp::fuzz::WriteFile(kComponentFileName, file);

  const std::uint8_t flags = data[0];
  std::vector<std::string> arguments;
  if ((flags & 1) != 0) arguments.push_back("--json");
  if ((flags & 2) != 0) arguments.insert(arguments.end(), {"--svg", kPlotName});
  const bool series = (flags & 12) != 0;
  if (series) {
    // A short record on a fixed step, 600 to 2400 samples, whatever the
    // frequencies: the default step of a file's highest frequency could ask
    // for the full 33 million.
    arguments.insert(arguments.end(), {"--series", std::to_string(60 * (1 + (flags >> 4) % 4)), "--dt", "0.1"});
    if ((flags & 8) != 0) arguments.insert(arguments.end(), {"--series-csv", kSeriesName});
  }
  arguments.push_back(kComponentFileName);

  wavecomp::Console out, err;
  const int status = wavecomp::check::RunCheckCommand(arguments, out, err);
  if (status < wavecomp::kExitSuccess || status > wavecomp::kExitOutputError)
    Finding("an exit status the checker does not have");
  const std::vector<std::string> files = wavecomp::fuzz::ScratchFiles();
  if (status != wavecomp::kExitSuccess) {
    if (err.captured().empty()) Finding("a stop without a message");
    if (files.size() != 1) Finding("a stopped check left a file behind");
    return 0;
  }
  // The summary shows the trailer's file name as written: a name with such a
  // word in it is no finding.
  if (HasNonFiniteWord(file)) return 0;
  if (HasNonFiniteWord(out.captured())) Finding("a non-finite number in the summary or JSON");
  for (const std::string& name : files) {
    if (name != kComponentFileName && HasNonFiniteWord(ReadWhole(name))) Finding("a non-finite number in an output");
  }
  return 0;
}
