#include "core/settings.h"

namespace wavecomp {

std::optional<SpectrumType> ParseSpectrumType(std::string_view field) {
  for (SpectrumType type : {SpectrumType::kEne, SpectrumType::kEmep, SpectrumType::kSspe, SpectrumType::kJonswap}) {
    if (field == SpectrumTypeField(type)) return type;
  }
  return std::nullopt;
}

std::string_view SpectrumTypeField(SpectrumType type) {
  switch (type) {
    case SpectrumType::kJonswap:
      return "JNS ";
    case SpectrumType::kSspe:
      return "Sspe";
    case SpectrumType::kEmep:
      return "Emep";
    case SpectrumType::kEne:
      return "Ene ";
  }
  return "";
}

std::string_view TrimmedField(std::string_view field) {
  std::size_t length = field.size();
  while (length > 0 && (field[length - 1] == ' ' || field[length - 1] == '\0')) --length;
  return field.substr(0, length);
}

}  // namespace wavecomp
