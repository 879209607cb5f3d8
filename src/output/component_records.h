// The records of the component wave file (its layout in
// core/component_layout.h), for the two writers and for whatever reads the
// file back; and the rule that no NaN or Infinity ever reaches it.
#pragma once

#include <string>
#include <string_view>

#include "core/component_layout.h"
#include "core/run_stop.h"
#include "textio/output_file.h"

namespace wavecomp {

// Appends the four E15.6 fields of one component record.
void AppendComponentRecord(std::string& record, double frequency, double amplitude, double direction, double phase);

// Which value of a component record is not finite, or kNone.
enum class NonFiniteField { kNone, kFrequency, kAmplitude, kDirection, kPhase };
NonFiniteField FirstNonFinite(double frequency, double amplitude, double direction, double phase);

// The stop for a component value that is NaN or infinite. `point_index` is 0
// for the single-point file. An amplitude of an Ene run whose scale
// (sqrt(E_in / E_spl) or E_in / E_spl) is not finite names the energies as the
// cause, since that is what the operator has to look at.
[[noreturn]] void StopOnNonFiniteComponent(int component, NonFiniteField field, int point_index, int point_number,
                                           bool energy_scale_broken, double E_spl);
// The stop for a non-finite setting of the trailer, `message` naming it.
[[noreturn]] void StopOnNonFiniteSetting(std::string_view message);

// When a component wave file's name turned out to be taken.
enum class NameTaken {
  kAtCreation,     // by the writer's existence check
  kAtPublication,  // by someone else while the run was working
};

// The stop for a component wave file whose name is taken: the writer's
// console line (the multi-point writer has its own) and an explanation of
// what to do. The existing file is never touched.
RunStop ExistingOutputStop(const std::string& path, bool multi_point, NameTaken when);

// Creates the component wave file `path`, which must not exist: its name is
// checked now (ExistingOutputStop when taken) and given to it only when
// `outputs` publishes them (never, in a dry run). Other failures are OutputErrors.
textio::OutputFile CreateComponentFile(const std::string& path, bool multi_point, const textio::OutputSet& outputs);

}  // namespace wavecomp
