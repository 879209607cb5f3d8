#include "core/workspace.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "textio/errors.h"

namespace wavecomp {

void WorkspaceDeleter::operator()(SpectrumWorkspace* workspace) const { std::free(workspace); }

WorkspacePtr MakeWorkspace() {
  // calloc maps fresh zero pages for a block this size, so untouched tables cost no memory.
  void* memory = std::calloc(1, sizeof(SpectrumWorkspace));
  if (memory == nullptr) {
    throw textio::MemoryShortage("the workspace (" + std::to_string(sizeof(SpectrumWorkspace) >> 20) + " MiB)");
  }
  return WorkspacePtr(static_cast<SpectrumWorkspace*>(memory));
}

}  // namespace wavecomp
