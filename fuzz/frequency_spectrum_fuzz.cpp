// Fuzz target: an Sspe run on a fuzzed frequency spectrum file, from the
// reader through the resampling, the spreading, the component draw and the
// writer. Input: two parameter bytes (component count, spreading, reader alone
// or whole run), then the spectrum file.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "input/frequency_spectrum_file.h"
#include "resample/input_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  wavecomp::fuzz::FuzzReaderInput(
      "Sspe",
      [](const wavecomp::ControlSettings& control, wavecomp::SpectrumWorkspace& ws, wavecomp::Console& console) {
        wavecomp::FillInputTables(wavecomp::ReadSpec(control, console), ws.input, ws.points, ws.directions);
      },
      false, data, size);
  return 0;
}
