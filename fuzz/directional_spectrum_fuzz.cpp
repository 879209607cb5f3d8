// Fuzz target: an Emep run on a fuzzed directional spectrum file and point list,
// from the reader through the resampling, the direction interpolation, the
// component draw and the writer. Input: two parameter bytes (component count,
// answer to the point-list question, reader alone or whole run), then the
// data file, then, after a separator byte, the point-list file (none when the
// separator is missing).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "control/control_file.h"
#include "fuzz_support.h"
#include "input/directional_spectrum_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wavecomp;
  if (size < fuzz::kParameterBytes) return 0;
  fuzz::EnterScratchFolder();
  fuzz::ClearScratchFolder();
  const fuzz::RunParameters parameters = fuzz::DecodeParameters(data);
  fuzz::WriteFile(kControlFileName, fuzz::ControlFile("Emep", parameters));
  const std::string_view files(reinterpret_cast<const char*>(data) + fuzz::kParameterBytes,
                               size - fuzz::kParameterBytes);
  const std::size_t separator = files.find(fuzz::kFileSeparator);
  fuzz::WriteFile(fuzz::kDataFileName, files.substr(0, separator));
  if (separator != std::string_view::npos) fuzz::WriteFile(fuzz::kPointFileName, files.substr(separator + 1));
  fuzz::RunProgramChecked(parameters, ReadDirectionalSpectrum);
  return 0;
}
