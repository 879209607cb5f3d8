#include "core/worker_threads.h"

#include <algorithm>
#include <thread>

namespace wavecomp {

int WorkerThreadCount() {
  static const int count = [] {
    const unsigned hardware = std::thread::hardware_concurrency();  // 0 when unknown
    return std::max(1, static_cast<int>(std::min(hardware, unsigned{kMostWorkerThreads})));
  }();
  return count;
}

}  // namespace wavecomp
