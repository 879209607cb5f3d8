// How many threads the programs share their parallel work out to. Every
// parallel stage gives the same results for any count (the work is split
// into pieces whose sums run in a fixed order), so the count only sets the
// speed.
#pragma once

namespace wavecomp {

// A bound we chose: every thread holds working memory of its own (a block of
// points' amplitudes, a point's record in the checker), and the parallel
// stages take seconds at most on two threads, so more threads than this would
// add memory rather than speed.
inline constexpr int kMostWorkerThreads = 8;

// The machine's hardware threads, at least 1 (also when the machine does not
// say), at most kMostWorkerThreads.
int WorkerThreadCount();

}  // namespace wavecomp
