// wavecomp-check: reads a component wave file, prints what it holds and how
// it compares with what the run should have made, and draws it as SVG.
#pragma once

#include <span>
#include <string>

#include "check/progress_line.h"
#include "core/console.h"

namespace wavecomp::check {

// Exit statuses of wavecomp-check.
enum CheckStatus : int {
  kCheckDone = 0,         // the file was read and the summary printed
  kCheckUsage = 1,        // the command line was wrong
  kCheckInputError = 2,   // the component file or the spectrum file could not be read as its layout requires
  kCheckOutputError = 3,  // the SVG plot or the series CSV could not be written
};

// Runs the command with `arguments` (without the program name): the summary
// goes to `out`, messages to `err`, the progress of a long time-domain check
// to `progress`. Never exits the process.
int RunCheckCommand(std::span<const std::string> arguments, Console& out, Console& err,
                    const ProgressStream& progress = {});

}  // namespace wavecomp::check
