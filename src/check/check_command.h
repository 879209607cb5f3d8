// wavecomp-check: reads a component wave file, prints what it holds and how
// it compares with what the run should have made, and draws it as SVG.
#pragma once

#include <span>
#include <string>

#include "check/render/progress_line.h"
#include "core/console.h"
#include "core/front_door.h"

namespace wavecomp::check {

// Runs the command with `arguments` (without the program name): the summary
// goes to `out`, messages to `err`, the progress of a long time-domain check
// to `progress`. Returns the exit status (core/front_door.h); never exits
// the process.
int RunCheckCommand(std::span<const std::string> arguments, Console& out, Console& err,
                    const ProgressStream& progress = {});

}  // namespace wavecomp::check
