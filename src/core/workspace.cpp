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

}  // namespace wavecomp
