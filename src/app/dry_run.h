#pragma once

#include <string>

#include "core/console.h"
#include "core/workspace.h"
#include "input/control_file.h"
#include "input/diagnostics.h"

namespace wavecomp {

// What a run would read and write, told in English on `out`, writing
// nothing: it is the run itself (RunWavecomp), its console lines muted,
// warnings to `warn`, its files made, checked and counted but never
// published. The point-list question is not asked (the files are read as if
// it were answered Y). Returns when the run would go ahead; stops where and
// as the run would stop (RunStop, textio::InputError, textio::OutputError).
void DryRun(SpectrumWorkspace& workspace, Console& out, const std::string& control_path = kControlFileName,
            const WarningSink& warn = {});

}  // namespace wavecomp
