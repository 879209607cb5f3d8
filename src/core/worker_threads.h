// How many threads the programs share their parallel work out to. Every
// parallel stage gives the same results for any count (the work is split
// into pieces whose sums run in a fixed order), so the count only sets the
// speed.
#pragma once

namespace wavecomp {

// Beyond this, more threads gain little: the points of a run are few
// hundred, and the checker's memory budget bounds how many it holds at once.
inline constexpr int kMostWorkerThreads = 8;

// The machine's hardware threads, at least 1 (also when the machine does not
// say), at most kMostWorkerThreads.
int WorkerThreadCount();

}  // namespace wavecomp
