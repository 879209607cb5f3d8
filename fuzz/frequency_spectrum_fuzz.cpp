// Fuzz target: an Sspe run on a fuzzed frequency spectrum file, from the
// reader through the resampling, the spreading, the component draw and the
// writer. Input: two parameter bytes (component count, spreading, reader alone
// or whole run), then the spectrum file.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "control/control_file.h"
#include "fuzz_support.h"
#include "input/frequency_spectrum_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wavecomp;
  if (size < fuzz::kParameterBytes) return 0;
  fuzz::EnterScratchFolder();
  fuzz::ClearScratchFolder();
  const fuzz::RunParameters parameters = fuzz::DecodeParameters(data);
  fuzz::WriteFile(kControlFileName, fuzz::ControlFile("Sspe", parameters));
  fuzz::WriteFile(fuzz::kDataFileName, std::string_view(reinterpret_cast<const char*>(data) + fuzz::kParameterBytes,
                                                        size - fuzz::kParameterBytes));
  fuzz::RunProgramChecked(parameters, ReadSpec);
  return 0;
}
