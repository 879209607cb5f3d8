// The surface elevation a wave model generates from a component file.
//
// Glossary: f(i) frequency (Hz), a(i) amplitude (m), phi(i) phase (rad),
// i = 0..N-1; t time (s), dt the time step (s), sample k stands at t = k dt.
//
// Sign convention: eta(t) = sum over i of a(i) cos(2 pi f(i) t + phi(i)), so
// phi is the phase at t = 0 and a crest of component i passes at
// t = -phi(i) / (2 pi f(i)). The wave statistics do not depend on this choice.
//
// The fast synthesis turns every component's phasor z(i) = a(i) exp(j psi(i))
// by exp(j 2 pi f(i) dt) once per sample instead of evaluating a cosine, and
// sets it afresh from the exact phase every kAnchorInterval samples so that
// rounding cannot accumulate over a long record.
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

namespace wavecomp::check {

// Samples between two re-anchorings of the phasors. Each turn adds a rounding
// of a few 1e-16 relative to a phasor, so after 4096 turns a component is off
// by about 1e-12 of its amplitude, and 1024 components by about 1e-11 of Hm0
// in the worst case: far below the 1e-9 we promise, while the cosines of the
// anchoring cost under 1 % of the turning.
inline constexpr std::size_t kAnchorInterval = 4096;

// Called with the samples done and the samples asked for.
using ProgressCallback = std::function<void(std::size_t done, std::size_t total)>;

// Synthesises eta(t) of fixed components in pieces of any length and in any
// order, so that a long record (or many points) needs no more memory than the
// piece the caller holds. Not thread-safe: use one object per thread.
class SurfaceSynthesis {
 public:
  // f, a and phase of the same length; dt > 0. Throws std::invalid_argument
  // otherwise.
  SurfaceSynthesis(std::span<const double> f, std::span<const double> a, std::span<const double> phase, double dt);

  // eta at t = (first + k) dt for k = 0..eta.size()-1.
  void Fill(std::size_t first, std::span<double> eta);

  double dt() const { return dt_; }
  std::size_t components() const { return count_; }

 private:
  // Two neighbouring components in one SSE2 register (GCC and Clang vector
  // extension), so that the turning is vectorised whatever the optimiser does.
  using Pair = double __attribute__((vector_size(16)));

  void Anchor(std::size_t sample);
  void Turn(std::span<double> eta);

  std::size_t count_ = 0;  // components given; the arrays below are padded with silent ones
  double dt_ = 0.0;
  std::vector<double> f_, a_, phase_;
  std::vector<Pair> turn_re_, turn_im_;  // exp(j 2 pi f dt), components 2v and 2v+1 in element v
  std::vector<Pair> re_, im_;            // phasors at the next sample
};

// The record of `samples` samples from t = 0, with `progress` called on the
// calling thread after every piece of kAnchorInterval samples and at the end.
// With `threads` above 1 the record is shared out in stretches that start at
// multiples of kAnchorInterval, so every sample is made as one thread makes
// it, to the last bit.
std::vector<double> SynthesiseRecord(std::span<const double> f, std::span<const double> a,
                                     std::span<const double> phase, double dt, std::size_t samples,
                                     const ProgressCallback& progress = {}, int threads = 1);

// eta(t) by direct summation of the cosines: the reference for the fast
// synthesis.
double DirectElevation(std::span<const double> f, std::span<const double> a, std::span<const double> phase, double t);

}  // namespace wavecomp::check
