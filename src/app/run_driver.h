#pragma once

#include <string>

#include "app/component_generation.h"
#include "core/console.h"
#include "core/run_stop.h"
#include "core/settings.h"
#include "core/workspace.h"
#include "input/control_file.h"
#include "input/diagnostics.h"
#include "textio/output_file.h"

namespace wavecomp {

// The three settings-echo lines written after the control file is read.
void EchoSettings(const ControlSettings& control, Console& console);

// The neutral spectrum value of a run: the reader the type's row names
// (nothing for JNS), with its console lines.
SpectrumData ReadSpectrumInput(const ControlSettings& control, Console& console);

// One whole run: control file, settings echo, the reader of the spectrum
// type (ReadSpectrumInput), the stage chain that makes the ComponentSet
// (GenerateComponentSet) and the writer chosen by the number of points; at
// the end its files (jonswap.spe of a JNS run and the component wave file)
// are published together. Returns on a normal end; a run that cannot go on
// throws (RunStop, textio::InputError, textio::OutputError or
// textio::MemoryShortage) and changes no file. Warnings about the inputs go
// to `warn`. With `dry_run`, the files are made and checked as always but
// only counted, and none is published.
void RunWavecomp(SpectrumWorkspace& workspace, Console& console, const std::string& control_path = kControlFileName,
                 const WarningSink& warn = {}, DryRunObserver* dry_run = nullptr);

}  // namespace wavecomp
