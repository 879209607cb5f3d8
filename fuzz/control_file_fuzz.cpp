// Fuzz target: the control file reader and the settings echo, on cont.txt
// bytes as an operator's editor or spreadsheet might leave them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "app/run_driver.h"
#include "fuzz_support.h"
#include "input/control_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wavecomp;
  fuzz::EnterScratchFolder();
  fuzz::WriteFile(kControlFileName, std::string_view(reinterpret_cast<const char*>(data), size));
  Console console;
  fuzz::RunUntilStop([&] {
    const ControlSettings control = ReadControlFile();
    // The reader's promises to every later stage.
    if (control.component_count > kMaxUsedComponents) fuzz::Finding("a component count above 1024");
    if (control.dirmin != -90.0 || control.dirmax != 90.0) fuzz::Finding("a moved direction range");
    EchoSettings(control, console);
  });
  return 0;
}
