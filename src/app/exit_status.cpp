#include "app/exit_status.h"

#include <new>
#include <string>
#include <string_view>

#include "core/run_stop.h"
#include "textio/errors.h"

namespace wavecomp {
namespace {

constexpr std::string_view kNothingChanged = "; the run stopped and no file was written or changed";

}  // namespace

RunEnding EndingOf(const std::exception_ptr& error) {
  RunEnding ending;
  try {
    std::rethrow_exception(error);
  } catch (const RunStop& stop) {
    switch (stop.kind()) {
      case RunStop::Kind::kMessage:
        ending.console_line = stop.text();
        if (!stop.explanation().empty()) ending.diagnostic = stop.explanation();
        break;
      case RunStop::Kind::kSilent:
        if (!stop.explanation().empty()) ending.diagnostic = stop.explanation();
        break;
      case RunStop::Kind::kBadInput:
        ending.exit_status = kExitInputError;
        ending.diagnostic = stop.text();
        break;
      case RunStop::Kind::kNoOutput:
        ending.exit_status = kExitOutputError;
        ending.diagnostic = stop.text();
        break;
    }
  } catch (const textio::InputError& input_error) {
    ending.exit_status = kExitInputError;
    ending.diagnostic = input_error.what();
  } catch (const textio::OutputError& output_error) {
    ending.exit_status = kExitOutputError;
    ending.diagnostic = output_error.what();
  } catch (const textio::MemoryShortage& shortage) {
    ending.diagnostic = std::string(shortage.what()) + std::string(kNothingChanged);
  } catch (const std::bad_alloc&) {
    ending.diagnostic =
        "not enough memory for the workspace (about 190 MB of address space, of which a run touches a few MB): "
        "raise the memory limit of the process (ulimit -v)" +
        std::string(kNothingChanged);
  }
  return ending;
}

}  // namespace wavecomp
