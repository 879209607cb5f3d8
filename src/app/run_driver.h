#pragma once

#include <string>

#include "core/console.h"
#include "core/run_stop.h"
#include "core/settings.h"
#include "core/workspace.h"
#include "input/control_file.h"
#include "input/diagnostics.h"

namespace wavecomp {

// The three settings-echo lines written after the control file is read.
void EchoSettings(const ControlSettings& control, Console& console);

// One whole run: control file, settings echo, the stages of the spectrum
// type in their order, the component draws and the writer chosen by the
// number of points; at the end its files (jonswap.spe of a JNS run and the
// component wave file) are published together. Returns on a normal end; a
// run that cannot go on throws (RunStop, textio::InputError,
// textio::OutputError or textio::MemoryShortage) and changes no file.
// Warnings about the inputs go to `warn`.
void RunWavecomp(SpectrumWorkspace& workspace, Console& console, const std::string& control_path = kControlFileName,
                 const WarningSink& warn = {});

// The stop of an Emep or Ene run whose point list gives no points.
RunStop NoPointsStop(const ControlSettings& control, int num_p);

}  // namespace wavecomp
