#include "core/cancellation.h"

#include <atomic>

namespace wavecomp {
namespace {

std::atomic<bool> requested{false};

}  // namespace

void RequestCancellation() noexcept { requested.store(true, std::memory_order_relaxed); }

void ClearCancellation() noexcept { requested.store(false, std::memory_order_relaxed); }

bool CancellationRequested() noexcept { return requested.load(std::memory_order_relaxed); }

}  // namespace wavecomp
