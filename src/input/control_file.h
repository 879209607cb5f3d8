#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings.h"
#include "input/diagnostics.h"
#include "textio/records.h"

namespace wavecomp {

// The control file every run reads from its working directory.
inline constexpr const char* kControlFileName = "cont.txt";

// Added to the lower frequency limit as read; it keeps fmin above 0 Hz
// when the file gives 0.
inline constexpr double kFminOffset = 0.000001;

// Where a setting stands in cont.txt, for the messages and the dry run.
struct ControlField {
  enum class Kind { kText, kInteger, kReal };
  std::string_view name;  // as the messages call it
  int line;               // 1-based
  int first_column;
  int last_column;
  Kind kind;
  std::string_view unit;  // "" for none
};

namespace control_fields {
using Kind = ControlField::Kind;
inline constexpr ControlField kType{"spectrum type", 2, 11, 14, Kind::kText, ""};
inline constexpr ControlField kCount{"component count N", 3, 11, 20, Kind::kInteger, ""};
inline constexpr ControlField kSmax{"Smax", 4, 11, 20, Kind::kReal, ""};
inline constexpr ControlField kInputFile{"input spectrum file name", 5, 11, 210, Kind::kText, ""};
inline constexpr ControlField kOutputFile{"output file name", 6, 11, 210, Kind::kText, ""};
inline constexpr ControlField kH13{"H1/3", 7, 11, 20, Kind::kReal, "m"};
inline constexpr ControlField kT13{"T1/3", 7, 21, 30, Kind::kReal, "s"};
inline constexpr ControlField kDirc{"Dirc.", 7, 31, 40, Kind::kReal, "deg"};
inline constexpr ControlField kGamma{"gamma", 7, 41, 50, Kind::kReal, ""};
inline constexpr ControlField kFmin{"fmin", 8, 11, 20, Kind::kReal, "Hz"};
inline constexpr ControlField kFmax{"fmax", 8, 21, 30, Kind::kReal, "Hz"};
inline constexpr ControlField kSeed{"random seed", 9, 11, 20, Kind::kInteger, ""};
// In the order of the file.
inline constexpr std::array<ControlField, 12> kAll = {kType, kCount, kSmax,  kInputFile, kOutputFile, kH13,
                                                      kT13,  kDirc,  kGamma, kFmin,      kFmax,       kSeed};
}  // namespace control_fields

// "cont.txt line 7, columns 21-30": where a setting of `path` stands.
std::string PlaceOf(const ControlField& field, std::string_view path = kControlFileName);

// The explanation of an input file named in cont.txt that cannot be opened:
// which file (`kind`, e.g. "Sspe spectrum file"), where its name stands,
// where it was looked for and what to do.
std::string CannotOpenInputFile(std::string_view kind, const std::string& name);

// Reads and checks the control file. Stops the run (RunStop) on a missing
// file, a column slip (ControlFileSlip), an unknown spectrum type or a
// component count outside 1..1024; a missing record or an unreadable field
// is a textio::InputError. A file name holding a backslash goes to `warn`.
ControlSettings ReadControlFile(const std::string& path = kControlFileName, const WarningSink& warn = {});

// The first column slip of lines 2-9 of a control file, as the explanation
// of a refusal: a tab character up to the line's last field, or a number
// that runs across the start of a number field (a digit in column 10
// touching the value in column 11). Either reads as some other value than
// the one meant. nullopt when there is none.
std::optional<std::string> ControlFileSlip(const textio::TextFile& file);

}  // namespace wavecomp
