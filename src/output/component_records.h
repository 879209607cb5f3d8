// Pieces shared by the two component wave file writers: the component record
// and the rule that no NaN or Infinity ever reaches a component wave file.
#pragma once

#include <string>
#include <string_view>

namespace wavecomp {

// Width and decimals of every real of a component record (E15.6).
inline constexpr int kComponentFieldWidth = 15;
inline constexpr int kComponentFieldDecimals = 6;

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

}  // namespace wavecomp
