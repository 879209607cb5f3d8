// The four spectrum types a run may name in cont.txt, and one row of traits
// for each. A stage asks the row what it needs ("is this type spread?",
// "what does it read?") rather than naming types, so a new type is a new
// row here plus its reader.
#pragma once

#include <optional>
#include <string_view>

namespace wavecomp {

// Where the spectrum of a run comes from.
enum class SpectrumType {
  kJonswap,  // "JNS ": synthesised from H1/3, T1/3 and gamma
  kSspe,     // "Sspe": a frequency spectrum table
  kEmep,     // "Emep": measured directional spectra at points along the shore
  kEne,      // "Ene ": directional spectra picked from an energy-balance model's output
};

// What a run of the type reads besides cont.txt.
enum class SpectrumInput {
  kNothing,             // the spectrum is synthesised from the settings
  kFrequencyTable,      // one frequency spectrum whose first line gives H1/3, T1/3 and Dirc
  kDirectionalPoints,   // directional spectra (Emep) and the point list beside them
  kEnergyBalancePoints  // an energy-balance model's output (Ene) and the point list beside them
};

struct SpectrumTypeTraits {
  SpectrumType type;
  std::string_view field;        // the four characters cont.txt writes ("JNS " with its blank)
  std::string_view source_name;  // what the console's first line calls the source
  std::string_view meaning;      // the source in words, for the dry run's report
  SpectrumInput input;
  // Directions drawn from the cos^2s curve around Dirc (Smax >= 999: all 0);
  // otherwise resampled from the directional data whatever Smax says. The
  // component file's trailer keeps Smax only when it was used.
  bool spread;
  // The amplitudes carry sqrt(E_in/E_spl), the energy the spline resampling
  // gained or lost.
  bool energy_scaled;
  // The component file says "synthesised" in its header (type code, gamma)
  // and its trailer names the type, gamma and seed instead of an input file.
  bool synthesised;

  bool reads_input_file() const { return input != SpectrumInput::kNothing; }
  // Directional data at points: may make a multi-point file.
  bool reads_points() const {
    return input == SpectrumInput::kDirectionalPoints || input == SpectrumInput::kEnergyBalancePoints;
  }
};

const SpectrumTypeTraits& Traits(SpectrumType type);

// The type named by a four-character field, compared case-sensitively with
// its blanks ("JNS" and "Ene" match only with a blank as fourth character);
// nullopt for any other text.
std::optional<SpectrumType> ParseSpectrumType(std::string_view field);
// The four characters of the type as cont.txt writes it ("JNS " with its blank).
inline std::string_view SpectrumTypeField(SpectrumType type) { return Traits(type).field; }

}  // namespace wavecomp
