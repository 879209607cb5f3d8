#pragma once

#include <string>

#include "core/console.h"
#include "input/control_file.h"
#include "core/workspace.h"

namespace wavecomp {

// The three settings-echo lines written after the control file is read.
void EchoSettings(const SpectrumWorkspace& workspace, Console& console);

// One whole run: control file, settings echo, the stages of the spectrum
// type, the component draw and the writer chosen by num_p. Returns on a
// normal end; a fatal condition is thrown as RunStop.
void RunWavecomp(SpectrumWorkspace& workspace, Console& console, const std::string& control_path = kControlFileName);

}  // namespace wavecomp
