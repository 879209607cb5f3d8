// Directional spreading cos^(2s)((theta - theta0)/2).
//
// Glossary: i component (1..N); k direction node (0..180), node k at
// thmin + k dth radians (dth one degree); theta0 the principal direction
// (radians); fp = 1/(1.05 T1/3) (Hz), the peak frequency of the spreading
// law; r = f(i)/fp; s the spreading parameter of component i; G_k the
// unnormalised spreading function at node k.
#include "synthesis/spreading.h"

#include <cmath>

#include "core/messages.h"
#include "synthesis/numerics.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

// Spreading parameter: s = Smax at fp, falling as r^5 below and r^-2.5 above.
double SpreadingParameter(double Smax, double f, double fp) {
  const double r = f / fp;
  if (f <= fp) return Smax * IntegerPower(r, 5);
  return Smax / (r * r * std::sqrt(r));
}

}  // namespace

Cos2sSpreading::Cos2sSpreading(double Smax, double T13, double theta0, double dirmin, double dirmax)
    : Smax_(Smax), fp_(1.0 / (1.05 * T13)) {
  const double thmax = dirmax * kDegree;
  const double thmin = dirmin * kDegree;
  dth_ = (thmax - thmin) / 180.0;
  // cos((theta_k - theta0)/2) is the same for every component.
  for (int k = 0; k <= kLastNode; ++k) {
    const double theta_k = thmin + static_cast<double>(k) * dth_;
    half_angle_cosine_[static_cast<std::size_t>(k)] = std::cos((theta_k - theta0) * 0.5);
  }
}

NodeDistribution Cos2sSpreading::At(double f) const {
  NodeDistribution result;
  const double two_s = 2.0 * SpreadingParameter(Smax_, f, fp_);
  std::array<double, kLastNode + 1>& G = result.D;
  for (std::size_t k = 0; k < G.size(); ++k) G[k] = std::pow(half_angle_cosine_[k], two_s);
  double sum = 0.0;
  for (std::size_t k = 0; k + 1 < G.size(); ++k) sum += G[k] + G[k + 1];
  // 2 dth rather than dth/2: the scale cancels in the normalisation of cumD.
  const double norm = 2.0 * dth_ * sum;
  for (double& value : result.D) value = value / norm;

  const double half_step = dth_ * 0.5;
  result.cumD[0] = 0.0;
  for (std::size_t k = 1; k < result.cumD.size(); ++k) {
    result.cumD[k] = result.cumD[k - 1] + (result.D[k - 1] + result.D[k]) * half_step;
  }
  // Divided by its own last value, so the distribution ends at exactly 1.
  const double total = result.cumD.back();
  for (double& value : result.cumD) value = value / total;
  return result;
}

double mitgwd(const ControlSettings& control, double T13, double Dirc, const FrequencyBands& bands,
              DirectionalDistribution& distribution, Console& console) {
  console.WriteLine(textio::ListLine().Text(messages::kMitgwd).Real(control.Smax).str());
  if (control.Smax >= kUnspreadSmax) return Dirc;

  const int N = control.component_count;
  for (int k = 0; k <= kLastNode; ++k) {
    for (int i = 1; i <= N; ++i) distribution.D(i, k) = 0.0;
  }
  const double theta0 = Dirc * kDegree;
  console.WriteLine(textio::ListLine().Real(theta0).str());
  if (N < 1) return theta0;

  const Cos2sSpreading spreading(control.Smax, T13, theta0, control.dirmin, control.dirmax);
  for (int i = 1; i <= N; ++i) {
    const NodeDistribution node = spreading.At(bands.f[i]);
    for (int k = 0; k <= kLastNode; ++k) {
      distribution.D(i, k) = node.D[static_cast<std::size_t>(k)];
      distribution.cumD(i, k) = node.cumD[static_cast<std::size_t>(k)];
    }
  }
  return theta0;
}

}  // namespace wavecomp
