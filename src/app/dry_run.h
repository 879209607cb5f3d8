#pragma once

#include <string>

#include "core/console.h"
#include "core/workspace.h"
#include "input/control_file.h"
#include "input/diagnostics.h"

namespace wavecomp {

// What a run would read and write, told in English on `out`, writing
// nothing: cont.txt and the input files go through the run's own readers
// (their console lines muted, warnings to `warn`), the point-list question
// is not asked (the files are read as if it were answered Y), and a table
// is divided as the run would divide it. Returns when the run would go
// ahead; stops (RunStop, textio::InputError) where the run would stop.
void DryRun(SpectrumWorkspace& workspace, Console& out, const std::string& control_path = kControlFileName,
            const WarningSink& warn = {});

}  // namespace wavecomp
