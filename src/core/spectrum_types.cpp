#include "core/spectrum_types.h"

#include <array>

#include "core/messages.h"

namespace wavecomp {
namespace {

// In the order ParseSpectrumType tries them.
constexpr std::array<SpectrumTypeTraits, 4> kTable = {{
    {SpectrumType::kEne, "Ene ", messages::kSourceEne,
     "directional spectra of an energy-balance model run, points picked by the point list",
     SpectrumInput::kEnergyBalancePoints, false, true, false},
    {SpectrumType::kEmep, "Emep", messages::kSourceEmep,
     "directional spectra at points along the shore from the input file and its point list",
     SpectrumInput::kDirectionalPoints, false, false, false},
    {SpectrumType::kSspe, "Sspe", messages::kSourceSspe, "a frequency spectrum table from the input file",
     SpectrumInput::kFrequencyTable, true, false, false},
    {SpectrumType::kJonswap, "JNS ", messages::kSourceJonswap,
     "a JONSWAP spectrum from H1/3, T1/3 and gamma over fmin..fmax", SpectrumInput::kNothing, true, false, true},
}};

}  // namespace

const SpectrumTypeTraits& Traits(SpectrumType type) {
  for (const SpectrumTypeTraits& row : kTable) {
    if (row.type == type) return row;
  }
  return kTable.back();  // unreachable: every enumerator has its row
}

std::optional<SpectrumType> ParseSpectrumType(std::string_view field) {
  for (const SpectrumTypeTraits& row : kTable) {
    if (field == row.field) return row.type;
  }
  return std::nullopt;
}

}  // namespace wavecomp
