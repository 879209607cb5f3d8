// Fuzz target: the control file reader and the settings echo, on cont.txt
// bytes as an operator's editor or spreadsheet might leave them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "input/control_file.h"
#include "app/run_driver.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace wavecomp;
  fuzz::EnterScratchFolder();
  fuzz::WriteFile(kControlFileName, std::string_view(reinterpret_cast<const char*>(data), size));
  SpectrumWorkspace& workspace = fuzz::FreshWorkspace();
  Console console;
  fuzz::RunUntilStop([&] {
    ReadControlFile(workspace, console);
    // The reader's promises to every later stage.
    if (workspace.control.component_count > kMaxUsedComponents) fuzz::Finding("a component count above 1024");
    if (workspace.control.dirmin != -90.0 || workspace.control.dirmax != 90.0) fuzz::Finding("a moved direction range");
    EchoSettings(workspace, console);
  });
  return 0;
}
