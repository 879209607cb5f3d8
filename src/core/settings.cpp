#include "core/settings.h"

namespace wavecomp {

std::string_view TrimmedField(std::string_view field) {
  std::size_t length = field.size();
  while (length > 0 && (field[length - 1] == ' ' || field[length - 1] == '\0')) --length;
  return field.substr(0, length);
}

}  // namespace wavecomp
