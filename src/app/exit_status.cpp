#include "app/exit_status.h"

#include <string>
#include <string_view>

#include "core/run_stop.h"

namespace wavecomp {
namespace {

constexpr std::string_view kNothingChanged = "; the run stopped and no file was written or changed";

}  // namespace

RunEnding EndingOf(const std::exception_ptr& error) {
  ErrorWording wording;
  wording.out_of_memory =
      "not enough memory for the workspace (about 190 MB of address space, of which a run touches a few MB): "
      "raise the memory limit of the process (ulimit -v)" +
      std::string(kNothingChanged);
  wording.after_memory_shortage = kNothingChanged;
  const ErrorEnding shared = EndingOfError(error, "wavecomp", wording);
  RunEnding ending;
  ending.exit_status = shared.status;
  if (!shared.message.empty()) ending.diagnostic = shared.message;
  // One of the program's own console lines is part of its output.
  try {
    std::rethrow_exception(error);
  } catch (const RunStop& stop) {
    if (stop.kind() == RunStop::Kind::kMessage) ending.console_line = stop.text();
  } catch (...) {
  }
  return ending;
}

}  // namespace wavecomp
