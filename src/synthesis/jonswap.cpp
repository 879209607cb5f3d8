// JONSWAP synthesis and its equal-energy division.
//
// Glossary: f frequency (Hz); S density (m^2 s); S' the division's slope
// (m^2 s^2); Tp peak period (s); fp = 1/Tp; G the peak-enhancement exponent;
// df the sampling step kJonswapStep; m0 total energy (m^2); E = ecomp the
// energy of one band; c the start of the current band; j the step index
// inside a band, step j covering fj = c + j df .. fj + df.
#include "synthesis/jonswap.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/component_layout.h"
#include "core/messages.h"
#include "core/run_stop.h"
#include "synthesis/numerics.h"
#include "textio/format.h"
#include "textio/output_file.h"

namespace wavecomp {
namespace {

constexpr double kHalfStep = kJonswapStep / 2.0;  // exactly 4.999999873689376e-6
constexpr double kDensityFloor = 1.0e-10;         // densities at or below it count as 0
constexpr double kSlopeFloor = 1.0e-6;            // keeps the quadratic's leading coefficient positive
constexpr double kSigmaBelowPeak = 0.07;
constexpr double kSigmaAbovePeak = 0.09;

// Ocean wave spectra end well below 5 Hz. A range wider than 100 Hz would
// write tens of millions of jonswap.spe records (and a far wider one would
// run for days and fill the disk), so it is refused before anything is done.
constexpr double kMaxSamples = 1.0e7;  // 100 Hz at the 1.0e-5 Hz step
// A band always collects its energy within the sampled range or soon after
// it; one that has walked 200 Hz (twice the widest accepted range) without
// doing so is being fed a density that is zero, infinite or not a number, and
// would otherwise walk for ever.
constexpr std::int64_t kMaxBandSteps = 20'000'000;

// A range that holds less of the spectrum's energy than this is warned
// about: the components then carry a sea lower than the H1/3 given.
constexpr double kRangeShareWarned = 0.90;

// gamma^G - 1 is below 1e-20 beyond 10 sigma of the peak for any gamma the
// component file can hold, so the peak enhancement is integrated over
// Tp f = 1 - 10 * 0.07 .. 1 + 10 * 0.09, in this many Simpson intervals on
// either side of the peak.
constexpr double kPeakSigmas = 10.0;
constexpr int kSimpsonIntervals = 1000;

// The values density and slope share at one frequency. Both are pure
// functions of f, so computing these once for both gives the same bits as
// computing them separately.
struct Sample {
  double sigma;
  double peak_offset;  // Tp f - 1
  double G;
  double gamma_G;   // gamma^G
  double f_minus5;  // f^-5
};

Sample SampleAt(const JonswapShape& shape, double f) {
  Sample sample;
  sample.sigma = f <= shape.fp ? kSigmaBelowPeak : kSigmaAbovePeak;
  sample.peak_offset = shape.Tp * f - 1.0;
  sample.G = std::exp(-(sample.peak_offset * sample.peak_offset) / (2.0 * (sample.sigma * sample.sigma)));
  sample.gamma_G = std::pow(shape.gamma, sample.G);
  sample.f_minus5 = IntegerPower(f, -5);
  return sample;
}

double DensityOf(const JonswapShape& shape, double f, const Sample& sample) {
  const double S = shape.A * sample.f_minus5 * std::exp(-1.25 * IntegerPower(shape.Tp * f, -4)) * sample.gamma_G;
  return S <= kDensityFloor ? 0.0 : S;
}

double SlopeOf(const JonswapShape& shape, double f, const Sample& sample) {
  const double f4 = IntegerPower(f, 4);
  const double EB = std::exp(shape.B / f4);
  const double P =
      sample.gamma_G * (-5.0 * shape.A * EB / IntegerPower(f, 6) - 4.0 * shape.A * shape.B * EB / IntegerPower(f, 10));
  const double two_sigma2 = 2.0 * (sample.sigma * sample.sigma);
  const double Q = sample.peak_offset * shape.ln_gamma * sample.G *
                   std::exp(shape.B / f4 - (sample.peak_offset * sample.peak_offset) / two_sigma2) * sample.f_minus5 *
                   (shape.Tp / (sample.sigma * sample.sigma)) * shape.A;
  const double slope = P - Q;
  // A slope that is not a number stays so (the walk bound then ends the run).
  return slope < kSlopeFloor ? kSlopeFloor : slope;
}

void SpeRecord(std::string& record, double f, double density, double slope) {
  record.clear();
  textio::PutE(record, f, kJonswapSpeWidth, kJonswapSpeDecimals);
  textio::PutE(record, density, kJonswapSpeWidth, kJonswapSpeDecimals);
  textio::PutE(record, slope, kJonswapSpeWidth, kJonswapSpeDecimals);
}

// Derived numbers in the explanations: four significant digits.
constexpr int kExplainedDigits = 4;

// Where a setting stands in cont.txt, for the explanations.
constexpr std::string_view kFmaxPlace = "fmax (cont.txt line 8, columns 21-30)";
constexpr std::string_view kH13Place = "H1/3 (cont.txt line 7, columns 11-20)";
constexpr std::string_view kT13Place = "T1/3 (cont.txt line 7, columns 21-30)";
constexpr std::string_view kGammaPlace = "gamma (cont.txt line 7, columns 41-50)";
constexpr std::string_view kFminPlace = "fmin (cont.txt line 8, columns 11-20)";
constexpr std::string_view kRangePlace = "fmin and fmax (cont.txt line 8, columns 11-20 and 21-30)";

std::string NeedsPositive(const ControlSettings& control) {
  std::string text = "the JONSWAP spectrum is defined only for gamma, T1/3 and fmin above 0:";
  if (!(control.gamma > 0.0))
    text += " " + std::string(kGammaPlace) + " is " + textio::PlainNumber(control.gamma) + ";";
  if (!(control.T13 > 0.0)) text += " " + std::string(kT13Place) + " is " + textio::PlainNumber(control.T13) + " s;";
  if (!(control.fmin > 0.0))
    text += " " + std::string(kFminPlace) + " is " + textio::PlainNumber(control.fmin) + " Hz as stored;";
  return text + " give gamma above 0 (3.3 is usual), T1/3 in seconds and fmin of 0 Hz or more";
}

// Why a band could not be closed: the density of these settings holds too
// little energy past the band's start.
std::string BandExplanation(const ControlSettings& control, int band, std::string_view what) {
  return "JONSWAP component band " + std::to_string(band) + " of " + std::to_string(control.component_count) + " " +
         std::string(what) + ": check " + std::string(kH13Place) + " and " + std::string(kT13Place) + ", and that " +
         std::string(kRangePlace) + " cover the peak of the spectrum";
}

// The density is defined for gamma > 0 (its logarithm is taken), T1/3 > 0 and
// f > 0; anything else would make the division walk for ever or place
// components at frequencies of no meaning.
void RefuseUndefinedSpectrum(const ControlSettings& control) {
  if (!std::isfinite(control.H13) || !std::isfinite(control.T13) || !std::isfinite(control.gamma) ||
      !std::isfinite(control.fmin) || !std::isfinite(control.fmax)) {
    throw RunStop::FreeFormat(std::string(messages::kJonswapNeedsFinite),
                              "H1/3, T1/3 and gamma (cont.txt line 7) and fmin and fmax (line 8) must be finite "
                              "numbers for the JONSWAP spectrum");
  }
  if (!(control.gamma > 0.0) || !(control.T13 > 0.0) || !(control.fmin > 0.0)) {
    throw RunStop::ConsoleLine(textio::ListLine()
                                   .Text(messages::kJonswapNeedsPositive)
                                   .Real(control.gamma)
                                   .Real(control.T13)
                                   .Real(control.fmin)
                                   .str(),
                               NeedsPositive(control));
  }
}

// Settings for which the density is defined but the components would carry
// no energy, or which the component file cannot hold: each would give a file
// of silent or unreadable components with status 0.
void RefuseEmptySpectrum(const ControlSettings& control) {
  if (!(control.H13 > 0.0)) {
    throw RunStop::Silent(std::string(kH13Place) + " is " + textio::PlainNumber(control.H13) +
                          " m: a JONSWAP sea needs a wave height above 0 (0, or a blank field, gives components of "
                          "amplitude 0, and a negative height the spectrum of its size); give H1/3 above 0, in metres");
  }
  std::string gamma_field;
  textio::PutF(gamma_field, control.gamma, component_layout::kGammaWidth, component_layout::kGammaDecimals);
  if (gamma_field.find('*') != std::string::npos) {
    throw RunStop::Silent(std::string(kGammaPlace) + " is " + textio::PlainNumber(control.gamma) +
                          ", too large for line 2 of the component file, which holds gamma in ten columns with one "
                          "decimal (below 99999999.95), and far beyond the fit of the spectrum's scale (above about "
                          "7e24 it makes every density negative); give gamma between 1 and 10 (3.3 is usual)");
  }
  if (!(control.fmax > control.fmin)) {
    throw RunStop::Silent(std::string(kFmaxPlace) + " is " + textio::PlainNumber(control.fmax) + " Hz" +
                          (control.fmax == 0.0 ? std::string(" (a blank field reads 0)") : std::string()) +
                          ", not above fmin " + textio::PlainNumber(control.fmin) +
                          " Hz (the value read + 0.000001): the range holds no frequency, so the components would "
                          "carry no energy; give fmax above fmin (0.01 and 1.0 Hz suit T1/3 of 3 to 20 s)");
  }
}

// Number of samples of a range, trunc(span / df); 0 for an empty range.
std::int64_t SampleCount(double span) {
  const double count = span / kJonswapStep;
  return count > 0.0 ? static_cast<std::int64_t>(count) : 0;
}

// Passes 1 and 2 in one walk: both sample the same accumulated frequencies
// fmin, fmin + df, ..., so each density is evaluated once. Returns m0; the
// complete jonswap.spe goes into `outputs`, to replace the old one only when
// the whole run succeeds.
double WriteSpectrumFileAndIntegrate(const JonswapShape& shape, double fmin, double fmax,
                                     textio::OutputSet& outputs) {
  const std::int64_t records = SampleCount(fmax + kJonswapStep - fmin);
  const std::int64_t intervals = SampleCount(fmax - kJonswapStep + kJonswapStep - fmin);
  const std::int64_t samples = std::max(records, intervals > 0 ? intervals + 1 : 0);

  textio::OutputFile file = outputs.Create(kJonswapFileName, textio::Publication::kReplace);
  double m0 = 0.0;
  double previous_density = 0.0;
  double f = fmin;
  std::string record;
  for (std::int64_t k = 0; k < samples; ++k) {
    const Sample sample = SampleAt(shape, f);
    const double density = DensityOf(shape, f, sample);
    if (k < records) {
      SpeRecord(record, f, density, SlopeOf(shape, f, sample));
      file.WriteLine(record);
    }
    if (k >= 1 && k <= intervals) m0 += (previous_density + density) * kHalfStep;
    previous_density = density;
    f = f + kJonswapStep;
  }
  outputs.Add(std::move(file));
  return m0;
}

// Pass 3: each band walks from its start c in steps of df, summing the areas
// under s + a x, until it holds E; the component sits where it holds E/2.
void DivideIntoBands(const ControlSettings& control, const JonswapShape& shape, double fmin, int N,
                     FrequencyBands& bands) {
  const double E = bands.ecomp;
  const double half = 0.5 * E;
  double c = fmin;
  for (int i = 1; i <= N; ++i) {
    double sum = 0.0;
    bool placed = false;
    for (std::int64_t j = 0;; ++j) {
      if (j >= kMaxBandSteps) {
        throw RunStop::ConsoleLine(
            textio::ListLine().Text(messages::kJonswapBandRunaway).Integer(i).str(),
            BandExplanation(control, i,
                            "found too little energy within 200 Hz of its start (peak frequency " +
                                textio::PlainNumber(shape.fp) + " Hz)"));
      }
      const double fj = c + static_cast<double>(j) * kJonswapStep;
      const Sample sample = SampleAt(shape, fj);
      const double s = DensityOf(shape, fj, sample);
      const double a = SlopeOf(shape, fj, sample);
      const double width = (fj + kJonswapStep) - fj;
      const double u = (width * a + 2.0 * s) * kHalfStep;
      sum += u;
      // A sum that is not a number never reaches the band's energy.
      if (std::isnan(sum)) {
        throw RunStop::ConsoleLine(textio::ListLine().Text(messages::kJonswapBandNotANumber).Integer(i).str(),
                                   BandExplanation(control, i, "met a step energy that is not a number"));
      }
      if (!placed && sum >= half) {
        // The end test is skipped in this step even when the band also
        // ends here; the next step then ends it at or before its start.
        bands.f[i] = fj + StepOffsetHolding(a, s, half - sum + u);
        placed = true;
      } else if (sum >= E) {
        c = fj + StepOffsetHolding(a, s, E - sum + u);
        break;
      }
    }
  }
}

// m0 of the range against the whole spectrum, when the range leaves out
// more than a tenth of it: the run goes on, but the components carry less
// than the H1/3 given suggests.
void WarnOfCutSpectrum(const ControlSettings& control, const JonswapShape& shape, double m0, const WarningSink& warn) {
  const double total = JonswapTotalEnergy(shape);
  if (!warn || !(total > 0.0) || !std::isfinite(total) || m0 >= kRangeShareWarned * total) return;
  warn("the range fmin to fmax, " + textio::RoundedNumber(control.fmin, 6) + " to " +
       textio::RoundedNumber(control.fmax, 6) + " Hz (cont.txt line 8, columns 11-20 and 21-30), holds " +
       textio::RoundedNumber(100.0 * m0 / total, 3) +
       " % of the energy of the JONSWAP spectrum from 0 Hz to infinity, whose peak lies at " +
       textio::RoundedNumber(shape.fp, kExplainedDigits) + " Hz: the components will carry Hm0 " +
       textio::RoundedNumber(4.0 * std::sqrt(m0), kExplainedDigits) + " m instead of " +
       textio::RoundedNumber(4.0 * std::sqrt(total), kExplainedDigits) +
       " m; unless the cut is meant, give fmin at about half the peak frequency or below and fmax at 3 to 4 times it "
       "or more");
}

}  // namespace

double JonswapTotalEnergy(const JonswapShape& shape) {
  // Without gamma^G the density integrates in closed form: with
  // c = 1.25 Tp^-4 = -B, A f^-5 exp(-c f^-4) has the antiderivative
  // A / (4c) exp(-c f^-4), which runs from 0 to A / (4c).
  const double plain = shape.A / (4.0 * -shape.B);
  // What gamma^G adds, A f^-5 exp(-c f^-4) (gamma^G - 1), lies around the
  // peak; Simpson's rule on either side, where sigma changes.
  const auto excess = [&shape](double f) {
    const Sample sample = SampleAt(shape, f);
    return shape.A * sample.f_minus5 * std::exp(shape.B * IntegerPower(f, -4)) * (sample.gamma_G - 1.0);
  };
  const auto simpson = [&excess](double a, double b) {
    const double h = (b - a) / kSimpsonIntervals;
    double sum = excess(a) + excess(b);
    for (int k = 1; k < kSimpsonIntervals; ++k) sum += (k % 2 == 1 ? 4.0 : 2.0) * excess(a + k * h);
    return sum * h / 3.0;
  };
  const double below = shape.fp * (1.0 - kPeakSigmas * kSigmaBelowPeak);
  const double above = shape.fp * (1.0 + kPeakSigmas * kSigmaAbovePeak);
  return plain + simpson(below, shape.fp) + simpson(shape.fp, above);
}

JonswapShape JonswapShape::From(double H13, double T13, double gamma) {
  JonswapShape shape;
  shape.gamma = gamma;
  shape.ln_gamma = std::log(gamma);
  shape.Tp = T13 / (1.0 - 0.132 * std::pow(gamma + 0.2, -0.559));
  shape.fp = 1.0 / shape.Tp;
  shape.betaJ = 0.0624 / (0.230 + 0.0336 * gamma - 0.185 / (1.9 + gamma)) * (1.094 - 0.01915 * shape.ln_gamma);
  shape.A = shape.betaJ * (H13 * H13) * IntegerPower(shape.Tp, -4);
  shape.B = -1.25 * IntegerPower(shape.Tp, -4);
  return shape;
}

double JonswapDensity(const JonswapShape& shape, double f) { return DensityOf(shape, f, SampleAt(shape, f)); }

double JonswapSlope(const JonswapShape& shape, double f) { return SlopeOf(shape, f, SampleAt(shape, f)); }

void CheckJonswapSettings(const ControlSettings& control) {
  RefuseUndefinedSpectrum(control);
  RefuseEmptySpectrum(control);
  const double span = control.fmax + kJonswapStep - control.fmin;
  if (span / kJonswapStep > kMaxSamples) {
    throw RunStop::ConsoleLine(
        textio::ListLine().Text(messages::kJonswapRangeTooWide).Real(control.fmax - control.fmin).str(),
        std::string(kRangePlace) + " span " + textio::PlainNumber(control.fmax - control.fmin) +
            " Hz; jonswap.spe samples the range every 1e-5 Hz and takes at most 100 Hz, while wave spectra end "
            "below a few Hz: give a range such as 0.01 to 1.0 Hz");
  }
}

void JonswapSpectrum(const ControlSettings& control, FrequencyBands& bands, textio::OutputSet& outputs,
                     const WarningSink& warn) {
  CheckJonswapSettings(control);
  const JonswapShape shape = JonswapShape::From(control.H13, control.T13, control.gamma);
  const double m0 = WriteSpectrumFileAndIntegrate(shape, control.fmin, control.fmax, outputs);
  // An overflowing density (an enormous H1/3, a frequency near 0) leaves m0
  // infinite or not a number, and no band could ever be closed.
  if (!std::isfinite(m0)) {
    throw RunStop::ConsoleLine(textio::ListLine().Text(messages::kJonswapEnergyNotFinite).Real(m0).str(),
                               "the JONSWAP energy of " + std::string(kH13Place) + " = " +
                                   textio::PlainNumber(control.H13) + " m is not a finite number: give H1/3 in metres");
  }
  // A range of less than one step, or one where the density stays below its
  // floor (far from the peak, or a period so long that the scale underflows).
  if (!(m0 > 0.0)) {
    throw RunStop::Silent("the JONSWAP spectrum of H1/3 " + textio::PlainNumber(control.H13) + " m, T1/3 " +
                          textio::PlainNumber(control.T13) + " s and gamma " + textio::PlainNumber(control.gamma) +
                          " (cont.txt line 7) holds no energy between fmin " + textio::RoundedNumber(control.fmin, 6) +
                          " and fmax " + textio::RoundedNumber(control.fmax, 6) + " Hz (line 8; its peak lies at " +
                          textio::RoundedNumber(shape.fp, kExplainedDigits) +
                          " Hz), so every component would have amplitude 0; give a range around the peak, and T1/3 "
                          "in seconds");
  }
  WarnOfCutSpectrum(control, shape, m0, warn);
  bands.ecomp = m0 / static_cast<double>(control.component_count);
  DivideIntoBands(control, shape, control.fmin, control.component_count, bands);
}

}  // namespace wavecomp
