// The stage chain of a run as one library function: the settings and the
// neutral spectrum value (core/spectrum_data.h) in, the ComponentSet a writer
// lays out (core/component_set.h) out. `wavecomp` calls it between its reader
// and its writer; a caller that holds the spectrum in memory (a binding to
// another language) builds the SpectrumData itself and calls it the same way,
// with the same result bit for bit as the program reading those numbers.
#pragma once

#include <functional>

#include "core/component_set.h"
#include "core/console.h"
#include "core/run_stop.h"
#include "core/settings.h"
#include "core/spectrum_data.h"
#include "core/warning_sink.h"
#include "core/workspace.h"
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
  // The input was read and its tables filled (Sspe: its header; Emep, Ene:
  // the points), or the JONSWAP spectrum made (no header).
  virtual void InputRead(const ControlSettings& control, const SpectrumWorkspace& ws,
                         const SpectrumFileHeader* header) = 0;
  // The equal-energy division of a table (Sspe, Emep, Ene).
  virtual void Divided(const ControlSettings& control, const SpectrumWorkspace& ws) = 0;
  // Every file of the run is complete, counted in `outputs`; the run would
  // publish them now.
  virtual void Complete(const ControlSettings& control, int num_p, const textio::OutputSet& outputs) = 0;
};

// Called once the chain knows the number of points (two or more), before the
// per-point amplitudes: the program creates its multi-point file there, so
// that a taken name stops the run before their progress lines.
using BeforeAmplitudes = std::function<void(int num_p)>;

// Turns `data` into the components of the run `control` describes: the
// input tables from the value (FillInputTables: the mean over the points,
// the kept directions, the Ene densities), the equal-energy division, the
// directional distribution (the cos^2s curve around Dirc. for JNS and Sspe,
// the input's directions for Emep and Ene), the draws of directions and
// phases, and the set with its amplitudes (one point: scaled for Ene; two or
// more: each point's own, with progress lines) and its RunRecord.
//
//   control    the settings as ReadControlFile gives them (or made in
//              memory): type, N, Smax, seed, H1/3, T1/3, Dirc., gamma and
//              the frequency range of JNS, the input file's name (only for
//              the messages and the record). The checks of cont.txt's
//              values are ReadControlFile's; here only N above 1024 is
//              refused (std::invalid_argument);
//   data       of the kind Traits(control.type).input names (kNothing for
//              JNS). std::invalid_argument when it is of another kind,
//              larger than a run holds (2048 points, 3000 frequencies, 200
//              or, for Ene, 198 directions), or, with N >= 1, an Sspe table
//              of fewer than 3 strictly rising frequencies (AddPoint has
//              refused values that are not finite or below 0 already);
//   workspace  a zero-filled workspace (MakeWorkspace, or ClearWorkspace
//              after an earlier run); its groups hold the stages' tables
//              afterwards;
//   console    the run's console lines, byte for byte those of `wavecomp`
//              from the stage after the reader on;
//   outputs    where a JNS run's jonswap.spe is written (published with the
//              run's other files by the caller's PublishAll);
//   warn       the warnings about the input (stderr in the program);
//   dry_run    told what each stage found, or nullptr.
//
// Throws as a run stops (RunStop, textio::OutputError, MemoryShortage),
// including a value with no point (NoPointsStop) and a set that would hold
// a value that is not finite.
ComponentSet GenerateComponentSet(const ControlSettings& control, const SpectrumData& data,
                                  SpectrumWorkspace& workspace, Console& console, textio::OutputSet& outputs,
                                  const WarningSink& warn = {}, DryRunObserver* dry_run = nullptr,
                                  const BeforeAmplitudes& before_amplitudes = {});

// The stop of an Emep or Ene run whose point list gives no points.
RunStop NoPointsStop(const ControlSettings& control, int num_p);

}  // namespace wavecomp
