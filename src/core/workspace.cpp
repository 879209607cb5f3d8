#include "core/workspace.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace wavecomp {

void WorkspaceDeleter::operator()(SpectrumWorkspace* workspace) const { std::free(workspace); }

WorkspacePtr MakeWorkspace() {
  // calloc maps fresh zero pages for a block this size, so untouched tables cost no memory.
  void* memory = std::calloc(1, sizeof(SpectrumWorkspace));
  if (memory == nullptr) throw std::bad_alloc();
  return WorkspacePtr(static_cast<SpectrumWorkspace*>(memory));
}

std::string_view TrimmedField(const char* field, std::size_t length) {
  while (length > 0 && (field[length - 1] == ' ' || field[length - 1] == '\0')) --length;
  return std::string_view(field, length);
}

void StoreField(char* field, std::size_t length, std::string_view text) {
  const std::size_t copied = text.size() < length ? text.size() : length;
  std::memcpy(field, text.data(), copied);
  std::memset(field + copied, ' ', length - copied);
}

bool IsSpectrumType(const ControlSettings& control, std::string_view key) {
  char padded[4] = {' ', ' ', ' ', ' '};
  std::memcpy(padded, key.data(), key.size() < 4 ? key.size() : 4);
  return std::memcmp(control.spectrum_type, padded, 4) == 0;
}

}  // namespace wavecomp
