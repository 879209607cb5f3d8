#pragma once

#include <string>

#include "core/console.h"
#include "core/run_stop.h"
#include "core/settings.h"
#include "core/workspace.h"
#include "input/control_file.h"
#include "input/diagnostics.h"
#include "input/frequency_spectrum_file.h"
#include "textio/output_file.h"

namespace wavecomp {

// A run that publishes nothing: the dry run. It is told what each stage
// found, in the order of the stages; a stage that stops the run stops it
// here too, with the same ending.
class DryRunObserver {
 public:
  virtual ~DryRunObserver() = default;
  // cont.txt was read, before any input file.
  virtual void SettingsRead(const ControlSettings& control) = 0;
  // The input file was read (Sspe: its header; Emep, Ene: the points), or
  // the JONSWAP spectrum made (no header).
  virtual void InputRead(const ControlSettings& control, const SpectrumWorkspace& ws,
                         const SpectrumFileHeader* header) = 0;
  // The equal-energy division of a table (Sspe, Emep, Ene).
  virtual void Divided(const ControlSettings& control, const SpectrumWorkspace& ws) = 0;
  // Every file of the run is complete, counted in `outputs`; the run would
  // publish them now.
  virtual void Complete(const ControlSettings& control, int num_p, const textio::OutputSet& outputs) = 0;
};

// The three settings-echo lines written after the control file is read.
void EchoSettings(const ControlSettings& control, Console& console);

// One whole run: control file, settings echo, the stages of the spectrum
// type in their order, the component draws, the ComponentSet they make and
// the writer chosen by the number of points; at the end its files (jonswap.spe of a JNS run and the
// component wave file) are published together. Returns on a normal end; a
// run that cannot go on throws (RunStop, textio::InputError,
// textio::OutputError or textio::MemoryShortage) and changes no file.
// Warnings about the inputs go to `warn`. With `dry_run`, the files are made
// and checked as always but only counted, and none is published.
void RunWavecomp(SpectrumWorkspace& workspace, Console& console, const std::string& control_path = kControlFileName,
                 const WarningSink& warn = {}, DryRunObserver* dry_run = nullptr);

// The stop of an Emep or Ene run whose point list gives no points.
RunStop NoPointsStop(const ControlSettings& control, int num_p);

}  // namespace wavecomp
