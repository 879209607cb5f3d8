// What a run hands its writer: the components of every point and what the
// trailer records of the run. Writers only lay this value out; everything
// that needs physics (the Ene energy scaling, the per-point amplitudes) has
// been done by the stage that made it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/settings.h"

namespace wavecomp {

// What a single-point file records of the run besides its components.
struct RunRecord {
  SpectrumType type = SpectrumType::kJonswap;
  double H13 = 0.0;             // m: cont.txt's, or the Sspe table header's
  double T13 = 0.0;             // s: the same
  double Dirc = 0.0;            // as the run left it: radians when mitgwd spread the spectrum, else degrees
  double gamma = 0.0;           // JNS only; the other types write 0.0
  std::int32_t seed = 0;        // the random seed after the phase draws
  double Smax = 0.0;            // JNS and Sspe
  std::string input_file_name;  // Sspe, Emep, Ene: trimmed
};

// The gamma of the file's header: it belongs to the JONSWAP synthesis only,
// and the file shows 0.0 for the other types.
inline double WrittenGamma(const RunRecord& run) { return Traits(run.type).synthesised ? run.gamma : 0.0; }

// The components of one run. Every point of a run shares the frequencies,
// directions and phases (one draw serves them all), so they are kept once;
// each point has its own amplitudes. Component i (1..N) is at index i - 1.
//
// A file read back need not keep to that: its points may list other
// frequencies, directions or phases, or another count. Such a point carries
// its own lists (all three, as long as its amplitudes); a run never fills
// them, so its points stay an amplitude list each.
struct ComponentSet {
  struct Point {
    int number = 0;                 // the point list's number; 0 for the single point
    std::vector<double> amplitude;  // m
    std::vector<double> frequency;  // Hz; empty: the set's
    std::vector<double> direction;  // radians; empty when frequency is
    std::vector<double> phase;      // radians; empty when frequency is

    bool has_own_values() const { return !frequency.empty() || amplitude.empty(); }
  };
  std::vector<double> frequency;  // Hz
  std::vector<double> direction;  // radians
  std::vector<double> phase;      // radians
  std::vector<Point> points;      // one: the single-point file with a trailer; more: the multi-point file
  RunRecord run;

  int component_count() const { return static_cast<int>(frequency.size()); }

  // The values of a point, its own when it has them.
  const std::vector<double>& FrequenciesOf(const Point& point) const {
    return point.has_own_values() ? point.frequency : frequency;
  }
  const std::vector<double>& DirectionsOf(const Point& point) const {
    return point.has_own_values() ? point.direction : direction;
  }
  const std::vector<double>& PhasesOf(const Point& point) const { return point.has_own_values() ? point.phase : phase; }
};

}  // namespace wavecomp
