#include "core/workspace.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
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

void ClearWorkspace(SpectrumWorkspace& workspace) {
  unsigned char* const begin = reinterpret_cast<unsigned char*>(&workspace);
  unsigned char* const end = begin + sizeof(SpectrumWorkspace);
  const std::uintptr_t page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const std::uintptr_t first_page = (reinterpret_cast<std::uintptr_t>(begin) + page - 1) & ~(page - 1);
  const std::uintptr_t last_page = reinterpret_cast<std::uintptr_t>(end) & ~(page - 1);
  unsigned char* const whole_begin = reinterpret_cast<unsigned char*>(first_page);
  unsigned char* const whole_end = reinterpret_cast<unsigned char*>(last_page);
  std::memset(begin, 0, static_cast<std::size_t>(whole_begin - begin));
  std::memset(whole_end, 0, static_cast<std::size_t>(end - whole_end));
  if (madvise(whole_begin, static_cast<std::size_t>(whole_end - whole_begin), MADV_DONTNEED) != 0) {
    std::memset(whole_begin, 0, static_cast<std::size_t>(whole_end - whole_begin));
  }
}

}  // namespace wavecomp
