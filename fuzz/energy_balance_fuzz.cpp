// Fuzz target: an Ene run on a fuzzed energy-balance model output file and point list,
// from the reader through the resampling, the direction interpolation, the
// component draw and the writer. Input: two parameter bytes (component count,
// answer to the point-list question, reader alone or whole run), then the
// data file, then, after a separator byte, the point-list file (none when the
// separator is missing).
#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "input/energy_balance_reader.h"
#include "resample/input_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  wavecomp::fuzz::FuzzReaderInput(
      "Ene",
      [](const wavecomp::ControlSettings& control, wavecomp::SpectrumWorkspace& ws, wavecomp::Console& console) {
        wavecomp::FillInputTables(wavecomp::ReadEnergyBalancePoints(control, console), ws.input, ws.points,
                                  ws.directions);
      },
      true, data, size);
  return 0;
}
