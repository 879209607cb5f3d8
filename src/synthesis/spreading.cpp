// Directional spreading cos^(2s)((theta - theta0)/2).
//
// Glossary: i component (1..N); k direction node (0..180), node k at
// thmin + k dth radians (dth one degree); theta0 the principal direction
// (radians); fp = 1/(1.05 T1/3) (Hz), the peak frequency of the spreading
// law; r = f(i)/fp; s the spreading parameter of component i; G_k the
// unnormalised spreading function at node k.
#include "synthesis/spreading.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "core/messages.h"
#include "core/run_stop.h"
#include "core/spectrum_types.h"
#include "synthesis/numerics.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

// A share of the curve cut off above which the run is warned about: the
// typical wind sea (Smax 10, Dirc. 0) loses about 2 % at +-90 degrees,
// mostly from its widely spread low frequencies.
constexpr double kCutShareWarned = 0.05;

// Derived numbers in the messages: four significant digits.
constexpr int kExplainedDigits = 4;

// An angle in degrees to a tenth, for the messages ("63.4", never "-0.0").
std::string Tenths(double degrees) {
  const double rounded = std::round(degrees * 10.0) / 10.0;
  char buffer[40];
  const std::to_chars_result result =
      std::to_chars(buffer, buffer + sizeof buffer, rounded == 0.0 ? 0.0 : rounded, std::chars_format::fixed, 1);
  return std::string(buffer, result.ptr);
}

// Spreading parameter: s = Smax at fp, falling as r^5 below and r^-2.5 above.
double SpreadingParameter(double Smax, double f, double fp) {
  const double r = f / fp;
  if (f <= fp) return Smax * IntegerPower(r, 5);
  return Smax / (r * r * std::sqrt(r));
}

}  // namespace

Cos2sSpreading::Cos2sSpreading(double Smax, double T13, double theta0, double dirmin, double dirmax)
    : Smax_(Smax), fp_(1.0 / (kPeakPeriodRatio * T13)) {
  const double thmax = dirmax * kDegree;
  const double thmin = dirmin * kDegree;
  dth_ = (thmax - thmin) / 180.0;
  // cos((theta_k - theta0)/2) is the same for every component.
  for (int k = 0; k <= kLastNode; ++k) {
    const double theta_k = thmin + static_cast<double>(k) * dth_;
    half_angle_cosine_[static_cast<std::size_t>(k)] = std::cos((theta_k - theta0) * 0.5);
    node_cosine_[static_cast<std::size_t>(k)] = std::cos(theta_k);
    node_sine_[static_cast<std::size_t>(k)] = std::sin(theta_k);
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

NodeCoverage Cos2sSpreading::Coverage(double f) const {
  const double s = SpreadingParameter(Smax_, f, fp_);
  double inside = 0.0;
  double cos_sum = 0.0;
  double sin_sum = 0.0;
  double previous[3] = {0.0, 0.0, 0.0};
  for (std::size_t k = 0; k < half_angle_cosine_.size(); ++k) {
    const double G = std::pow(half_angle_cosine_[k], 2.0 * s);
    const double current[3] = {G, G * node_cosine_[k], G * node_sine_[k]};
    if (k > 0) {
      inside += (previous[0] + current[0]) * (0.5 * dth_);
      cos_sum += (previous[1] + current[1]) * (0.5 * dth_);
      sin_sum += (previous[2] + current[2]) * (0.5 * dth_);
    }
    std::copy(current, current + 3, previous);
  }
  // Over the full circle, 2 * integral of cos^2s(u) over -pi/2..pi/2, which
  // is sqrt(pi) Gamma(s + 1/2) / Gamma(s + 1).
  const double full = 2.0 * std::sqrt(std::numbers::pi) * std::exp(std::lgamma(s + 0.5) - std::lgamma(s + 1.0));
  if (!(inside > 0.0) || !std::isfinite(full)) return {0.0, 0.0, 0.0};
  // The trapezoids over one-degree nodes may exceed the exact integral by a
  // hair where nothing is cut.
  return {std::min(inside / full, 1.0), cos_sum / inside, sin_sum / inside};
}

SpreadingCut CutOfSpreading(const Cos2sSpreading& spreading, const double* f, int N) {
  double kept = 0.0;
  double cos_sum = 0.0;
  double sin_sum = 0.0;
  for (int i = 1; i <= N; ++i) {
    const NodeCoverage coverage = spreading.Coverage(f[i]);
    kept += coverage.share;
    cos_sum += coverage.mean_cos;
    sin_sum += coverage.mean_sin;
  }
  if (N < 1) return {0.0, 0.0};
  return {1.0 - kept / static_cast<double>(N), std::atan2(sin_sum, cos_sum)};
}

std::optional<std::string> SpreadingRefusal(const ControlSettings& control, double Dirc, const std::string& source) {
  if (control.Smax >= kUnspreadSmax) return std::nullopt;
  if (control.Smax < 0.0) {
    return "Smax (cont.txt line 4, columns 11-20) is " + textio::RoundedNumber(control.Smax, 6) +
           ", below 0: the cos^2s spreading needs s of 0 or more (below 0 its curve turns inside out, the "
           "most energy farthest from Dirc., and far below 0 every component would travel at 0); give Smax of 0 or "
           "more: 0 spreads uniformly, 10 suits wind waves, 25 to 75 swell, and 999 or more gives no spreading";
  }
  if (!(Dirc >= control.dirmin && Dirc <= control.dirmax)) {
    return "the principal direction Dirc. (" + source + ") is " + textio::RoundedNumber(Dirc, 6) +
           " deg, outside -90..+90, and Smax " + textio::RoundedNumber(control.Smax, 6) +
           " (below 999) spreads the sea around it: the cos^2s curve is not defined on the model's directions there "
           "and every component would travel at 0 (shore-normal); give the direction of travel measured from the "
           "normal of the model's offshore boundary, within -90..+90 (a nautical 'coming from' angle must be "
           "converted first: add 180 and measure from the boundary normal)";
  }
  return std::nullopt;
}

double mitgwd(const ControlSettings& control, double T13, double Dirc, const FrequencyBands& bands,
              DirectionalDistribution& distribution, Console& console, const WarningSink& warn) {
  const std::string source = Traits(control.type).input == SpectrumInput::kFrequencyTable
                                 ? "the third value of the first line of " + control.input_file()
                                 : std::string("cont.txt line 7, columns 31-40");
  if (const std::optional<std::string> refusal = SpreadingRefusal(control, Dirc, source)) {
    throw RunStop::Silent(*refusal);
  }
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
  if (warn) {
    const SpreadingCut cut = CutOfSpreading(spreading, bands.f, N);
    if (cut.cut_share > kCutShareWarned) {
      warn("the cos^2s spreading around Dirc. " + textio::RoundedNumber(Dirc, 6) + " deg (" + source + ") with Smax " +
           textio::RoundedNumber(control.Smax, 6) + " has " + textio::RoundedNumber(100.0 * cut.cut_share, 3) +
           " % of its curve beyond -90..+90 deg, which is cut off: the components will travel at a mean direction "
           "of about " +
           Tenths(cut.mean_direction / kDegree) +
           " deg; a principal direction nearer 0 (a boundary facing the waves), a larger Smax, or a T1/3 that matches "
           "the spectrum's peak (s falls away from 1/(1.05 T1/3) Hz) keeps more of it");
    }
  }
  return theta0;
}

}  // namespace wavecomp
