// Directional spreading cos^(2s)((theta - theta0)/2).
//
// Glossary: i component (1..N); k direction node (0..180), node k at
// thmin + k dth radians (dth one degree); theta0 the principal direction
// (radians once converted); fp = 1/(1.05 T1/3) (Hz), the peak frequency of
// the spreading law; r = f(i)/fp; s the spreading parameter of component i;
// G_k the unnormalised spreading function at node k.
#include "synthesis/spreading.h"

#include <cmath>

#include "core/messages.h"
#include "synthesis/numerics.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

constexpr double kDegree = 0.017453292519943295;  // pi/180, every angle conversion
constexpr double kUnspreadSmax = 999.0;           // Smax at or above it: waves are not spread
constexpr int kNodes = kLastNode + 1;

// Spreading parameter: s = Smax at fp, falling as r^5 below and r^-2.5 above.
double SpreadingParameter(double Smax, double f, double fp) {
  const double r = f / fp;
  if (f <= fp) return Smax * IntegerPower(r, 5);
  return Smax / (r * r * std::sqrt(r));
}

}  // namespace

void mitgwd(SpectrumWorkspace& workspace, Console& console) {
  ControlSettings& control = workspace.control;
  console.WriteLine(textio::ListLine().Text(messages::kMitgwd).Real(control.Smax).str());
  if (control.Smax >= kUnspreadSmax) return;

  const int N = control.component_count;
  for (int k = 0; k <= kLastNode; ++k) {
    for (int i = 1; i <= N; ++i) workspace.D(i, k) = 0.0;
  }
  const double thmax = control.dirmax * kDegree;
  const double thmin = control.dirmin * kDegree;
  const double theta0 = control.Dirc * kDegree;
  control.Dirc = theta0;
  const double dth = (thmax - thmin) / 180.0;
  console.WriteLine(textio::ListLine().Real(theta0).str());
  const double fp = 1.0 / (1.05 * control.T13);
  if (N < 1) return;

  // cos((theta_k - theta0)/2) is the same for every component.
  double half_angle_cosine[kNodes];
  for (int k = 0; k <= kLastNode; ++k) {
    const double theta_k = thmin + static_cast<double>(k) * dth;
    half_angle_cosine[k] = std::cos((theta_k - theta0) * 0.5);
  }

  double G[kNodes];
  for (int i = 1; i <= N; ++i) {
    const double two_s = 2.0 * SpreadingParameter(control.Smax, workspace.f[i], fp);
    for (int k = 0; k <= kLastNode; ++k) G[k] = std::pow(half_angle_cosine[k], two_s);
    double sum = 0.0;
    for (int k = 0; k < kLastNode; ++k) sum += G[k] + G[k + 1];
    // 2 dth rather than dth/2: the scale cancels in the normalisation of cumD.
    const double norm = 2.0 * dth * sum;
    for (int k = 0; k <= kLastNode; ++k) workspace.D(i, k) = G[k] / norm;
  }

  const double half_step = dth * 0.5;
  for (int i = 1; i <= N; ++i) {
    workspace.cumD(i, 0) = 0.0;
    for (int k = 1; k <= kLastNode; ++k) {
      workspace.cumD(i, k) = workspace.cumD(i, k - 1) + (workspace.D(i, k - 1) + workspace.D(i, k)) * half_step;
    }
    // Divided by its own last value, so the distribution ends at exactly 1.
    const double total = workspace.cumD(i, kLastNode);
    for (int k = 0; k <= kLastNode; ++k) workspace.cumD(i, k) = workspace.cumD(i, k) / total;
  }
}

}  // namespace wavecomp
