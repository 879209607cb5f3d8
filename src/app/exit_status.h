// How a run of wavecomp ends: its exit status and what it shows. Only the
// application turns errors into exit statuses.
#pragma once

#include <exception>
#include <optional>
#include <string>

#include "core/front_door.h"

namespace wavecomp {

// A run that did not finish.
struct RunEnding {
  int exit_status = kExitStopped;
  std::optional<std::string> console_line;  // one of the program's console lines, exact bytes
  std::optional<std::string> diagnostic;    // for standard error, without the program's name: a diagnostic,
                                            // or the English explanation of the console line
};

// The ending of a run that threw `error`, as the three programs end
// (EndingOfError), with the console line of a RunStop that has one; anything
// else is thrown again.
RunEnding EndingOf(const std::exception_ptr& error);

}  // namespace wavecomp
