#pragma once

#include <cstdint>
#include <string>

#include "core/console.h"
#include "core/settings.h"
#include "core/workspace.h"
#include "textio/output_file.h"

namespace wavecomp {

// What a single-point file records of the run besides its components.
struct RunRecord {
  SpectrumType type = SpectrumType::kJonswap;
  double H13 = 0.0;             // m: cont.txt's, or the Sspe table header's
  double T13 = 0.0;             // s: the same
  double Dirc = 0.0;            // as the run left it: radians when mitgwd spread the spectrum, else degrees
  double gamma = 0.0;           // JNS only; the other types write 0.0
  std::int32_t seed = 0;        // the random seed after the phase draws
  double Smax = 0.0;            // JNS and Sspe
  std::string input_file_name;  // Sspe, Emep, Ene: trimmed
};

// Shows the seed, then writes the single-point component wave file `path`:
// components 1..N with the frequencies of `bands` and the draws (amplitudes
// of an Ene run scaled by sqrt(E_in / E_spl)), then the trailer of `run`.
// The complete file goes into `outputs`, which the run publishes at its end.
// An existing file is never touched: the run stops instead.
void WriteComponentFile(const std::string& path, int component_count, const FrequencyBands& bands,
                        const ComponentDraws& draws, const EnergyCheck& energy, const RunRecord& run, Console& console,
                        textio::OutputSet& outputs);

}  // namespace wavecomp
