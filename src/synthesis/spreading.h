// Directional spreading cos^(2s)((theta - theta0)/2) on the 181 direction
// nodes, node k at dirmin + k degrees.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "core/console.h"
#include "core/settings.h"
#include "core/warning_sink.h"
#include "core/workspace.h"

namespace wavecomp {

// Smax at or above it: the waves are not spread (every direction 0, along
// the model's x-axis, whatever the principal direction).
inline constexpr double kUnspreadSmax = 999.0;

// The spreading peaks at fp = 1 / (1.05 T1/3): the ratio of the peak period
// to the significant period, which an Sspe table made from a peak period
// divides by.
inline constexpr double kPeakPeriodRatio = 1.05;

// The normalised spreading function D and its cumulative distribution cumD
// of one component, node k = 0..180.
struct NodeDistribution {
  std::array<double, kLastNode + 1> D;
  std::array<double, kLastNode + 1> cumD;  // 0 at node 0, exactly 1 at node 180
};

// How much of the cos^2s curve of one frequency the nodes hold: the share of
// its integral over the full circle (theta0 - pi .. theta0 + pi) that lies
// within the direction range, and the mean cosine and sine of the direction
// over that part (both 0 when it holds nothing).
struct NodeCoverage {
  double share;
  double mean_cos;
  double mean_sin;
};

// The cos^2s spreading of a run, for any component frequency. s is Smax at
// fp = 1/(1.05 T1/3) and falls as (f/fp)^5 below and (f/fp)^-2.5 above it.
class Cos2sSpreading {
 public:
  // theta0, the principal direction, in radians; the direction range in degrees.
  Cos2sSpreading(double Smax, double T13, double theta0, double dirmin, double dirmax);
  NodeDistribution At(double f) const;
  NodeCoverage Coverage(double f) const;

 private:
  double Smax_;
  double fp_;
  double dth_;                                           // node spacing, radians
  std::array<double, kLastNode + 1> half_angle_cosine_;  // cos((theta_k - theta0) / 2)
  std::array<double, kLastNode + 1> node_cosine_;        // cos(theta_k)
  std::array<double, kLastNode + 1> node_sine_;          // sin(theta_k)
};

// What the node range leaves of the spreading of N components of equal
// energy at the frequencies f[1..N]: the share of the cos^2s curves cut off
// beyond it (0..1, the mean over the components) and the mean direction
// (radians) of what is kept, the circular mean the components' draws scatter
// around.
struct SpreadingCut {
  double cut_share;
  double mean_direction;
};
SpreadingCut CutOfSpreading(const Cos2sSpreading& spreading, const double* f, int N);

// Why the spreading of a run cannot be made, nullopt when it can: Smax below
// 0, or a principal direction Dirc. (degrees) outside the direction range,
// where cos((theta - theta0)/2) turns negative and every component would
// keep direction 0. Checked only when Smax spreads (below 999); `source`
// says where Dirc. comes from.
std::optional<std::string> SpreadingRefusal(const ControlSettings& control, double Dirc, const std::string& source);

// The spreading stage: prints its lines and, unless Smax >= 999, fills the
// distribution of components 1..N at the frequencies bands.f. T1/3 and Dirc.
// (degrees) are those of the run: cont.txt's for JNS, the table header's for
// Sspe. Returns the principal direction as the run then holds it: radians
// when the spectrum was spread, the degrees given otherwise. Refuses
// (RunStop, before its first line) what SpreadingRefusal names; tells `warn`
// when more than 5 % of the curve is cut off at +-90 degrees.
double mitgwd(const ControlSettings& control, double T13, double Dirc, const FrequencyBands& bands,
              DirectionalDistribution& distribution, Console& console, const WarningSink& warn = {});

}  // namespace wavecomp
