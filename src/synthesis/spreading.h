// Directional spreading cos^(2s)((theta - theta0)/2) on the 181 direction
// nodes, node k at dirmin + k degrees.
#pragma once

#include <array>

#include "core/console.h"
#include "core/settings.h"
#include "core/workspace.h"

namespace wavecomp {

// Smax at or above it: the waves are not spread.
inline constexpr double kUnspreadSmax = 999.0;

// The normalised spreading function D and its cumulative distribution cumD
// of one component, node k = 0..180.
struct NodeDistribution {
  std::array<double, kLastNode + 1> D;
  std::array<double, kLastNode + 1> cumD;  // 0 at node 0, exactly 1 at node 180
};

// The cos^2s spreading of a run, for any component frequency. s is Smax at
// fp = 1/(1.05 T1/3) and falls as (f/fp)^5 below and (f/fp)^-2.5 above it.
class Cos2sSpreading {
 public:
  // theta0, the principal direction, in radians; the direction range in degrees.
  Cos2sSpreading(double Smax, double T13, double theta0, double dirmin, double dirmax);
  NodeDistribution At(double f) const;

 private:
  double Smax_;
  double fp_;
  double dth_;                                           // node spacing, radians
  std::array<double, kLastNode + 1> half_angle_cosine_;  // cos((theta_k - theta0) / 2)
};

// The spreading stage: prints its lines and, unless Smax >= 999, fills the
// distribution of components 1..N at the frequencies bands.f. T1/3 and Dirc.
// (degrees) are those of the run: cont.txt's for JNS, the table header's for
// Sspe. Returns the principal direction as the run then holds it: radians
// when the spectrum was spread, the degrees given otherwise.
double mitgwd(const ControlSettings& control, double T13, double Dirc, const FrequencyBands& bands,
              DirectionalDistribution& distribution, Console& console);

}  // namespace wavecomp
