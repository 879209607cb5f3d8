// What wavecomp, wavecomp-check and wavecomp-import share at their front
// door: one scheme of exit statuses, and the hint for a mistyped option.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace wavecomp {

// Exit statuses of all three programs. A signal ends a program with
// 128 + its number (its default action, as the shell reports it).
enum ExitStatus : int {
  kExitSuccess = 0,      // done (--dry-run: the run would go ahead; --help, --version)
  kExitStopped = 1,      // refused: the program's own checks, a missing input, an existing output, ...
  kExitInputError = 2,   // an input file that does not follow its layout
  kExitUsage = 2,        // a wrong command line; nothing was read or written
  kExitOutputError = 3,  // the system failed: an output could not be made or written
};

// "; did you mean --dry-run?" when `argument`, an unknown option, looks like
// a mistyped one of `options` (one or two letters off, or the start of only
// one of them); "" otherwise.
std::string DidYouMean(std::string_view argument, std::span<const std::string_view> options);

}  // namespace wavecomp
