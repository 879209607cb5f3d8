// Component amplitudes, directions and phases.
//
// Glossary: i component (1..N); k direction node (1..180), node k at
// dirmin + k degrees; u a uniform draw in [0, 1); cumD(i, k) the cumulative
// directional distribution of component i; theta(i) radians, phase(i)
// radians.
#include "synthesis/components.h"

#include <cmath>
#include <string>

#include "core/run_stop.h"
#include "core/spectrum_types.h"
#include "synthesis/numerics.h"
#include "synthesis/spreading.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

constexpr double kHalfPi = 1.5707963267948966;  // the drawn direction must lie within +-pi/2

// The diagnostic of a direction draw that fell outside -pi/2..pi/2.
std::string DrawDiagnostic(int i, int k, double u, double base, double step, double t, double theta) {
  std::string line;
  textio::PutI(line, i, 5);
  textio::PutI(line, k, 5);
  for (double value : {u, base, step, t, 0.0, theta, 0.0}) textio::PutF(line, value, 15, 4);
  return line;
}

}  // namespace

std::int32_t DrawComponentDirections(const ControlSettings& control, const DirectionalDistribution& distribution,
                                     double* theta_out, std::int32_t direction_seed) {
  const int N = control.component_count;
  // Types not spread by the curve (Emep, Ene) take their directions from the
  // data whatever Smax says.
  const bool unspread = control.Smax >= kUnspreadSmax && Traits(control.type).spread;
  if (unspread) {
    for (int i = 1; i <= N; ++i) theta_out[i] = 0.0;
    return direction_seed;
  }
  for (int i = 1; i <= N; ++i) {
    const double u = static_cast<double>(LcgRandom(direction_seed));
    for (int k = 1; k <= kLastNode; ++k) {
      const double upper = distribution.cumD(i, k);
      if (!(u < upper)) continue;
      const double lower = distribution.cumD(i, k - 1);
      const double base = static_cast<double>(k - 1) + control.dirmin;
      const double step = upper - lower;
      const double t = lower - base * step;
      const double theta = (u - t) / step * kDegree;
      // Written as "not inside" so a direction that is not a number stops
      // the run too instead of reaching the output file.
      if (!(theta >= -kHalfPi && theta <= kHalfPi)) {
        throw RunStop::ConsoleLine(
            DrawDiagnostic(i, k, u, base, step, t, theta),
            "the direction drawn for component " + std::to_string(i) + " of " + std::to_string(N) +
                " lies outside -90..+90 deg (the line above shows the draw: component, node, draw, node direction, "
                "step, offset and the direction in rad), so its directional distribution is not usable and no file "
                "was written: check the directional values of the input spectrum, or Smax (cont.txt line 4) and "
                "Dirc. (line 7) of a spread spectrum");
      }
      theta_out[i] = theta;
      break;
    }
    // No node above u (a distribution that is not a number, or one that
    // never rises above u): theta(i) keeps its value.
  }
  return direction_seed;
}

std::int32_t MakeComponents(const ControlSettings& control, const FrequencyBands& bands,
                            const DirectionalDistribution& distribution, ComponentDraws& draws) {
  const int N = control.component_count;
  const double amplitude = std::sqrt(2.0 * bands.ecomp);
  for (int i = 1; i <= N; ++i) draws.a[i] = amplitude;

  DrawComponentDirections(control, distribution, draws.theta, kFirstDirectionSeed);

  std::int32_t seed = control.random_seed;
  for (int i = 1; i <= N; ++i) {
    const double u = static_cast<double>(LcgRandom(seed));
    draws.phase[i] = u * kTwoPi;
  }
  return seed;
}

}  // namespace wavecomp
