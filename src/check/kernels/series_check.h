// The time-domain check of one point: the surface elevation the wave model
// will generate from the point's components, the waves of a zero-up-crossing
// analysis, Welch's spectrum of the record against the target, and whether
// the record repeats itself.
//
// Glossary: f, a, phase the components (Hz, m, rad; see sea_surface.h for
// the sign convention); m0 = sum a^2/2 (m^2), Hm0 = 4 sqrt(m0); Tp the peak
// period of the components' density (ComponentDensity), which sets the
// default duration and the first lag of the repetition search.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "check/kernels/expectations.h"
#include "check/kernels/repetition.h"
#include "check/kernels/sea_surface.h"
#include "check/kernels/welch.h"
#include "check/kernels/zero_crossing.h"

namespace wavecomp::check {

// The default duration: three hours, the usual length of a storm record and
// of a physical-model test series, or 500 peak periods when that is longer,
// so that even long swell gives some hundreds of waves.
inline constexpr double kDefaultSeriesDuration = 10800.0;
inline constexpr double kDefaultSeriesPeakPeriods = 500.0;
// The default time step divides the shortest component period into 20: the
// crests then fall within 1.2 % of a sample's height (before the parabolic
// refinement) and the Nyquist frequency is ten times the highest component.
inline constexpr double kDefaultStepsPerPeriod = 20.0;
// The repetition search starts ten peak periods out, past the correlation of
// neighbouring waves of one group.
inline constexpr double kRepetitionFirstLagPeriods = 10.0;
// Records longer than this many samples (a month at 0.08 s) are refused: the
// record, the zero-padded transform and its bins then take about 2 GB.
inline constexpr std::size_t kMaxSeriesSamples = std::size_t{1} << 25;

// The spectrum the record is compared with.
struct SeriesTarget {
  std::function<double(double)> density;  // S(f), m^2/Hz
  double m0 = 0.0;                        // its whole energy (Total() of a TargetSpectrum), m^2
  double peak_frequency = 0.0;            // Hz

  // Takes a copy of the target: density, Total() and PeakFrequency().
  static SeriesTarget From(const TargetSpectrum& target);
  // Samples (f strictly ascending) joined by straight lines, zero outside.
  static SeriesTarget FromSamples(std::vector<double> f, std::vector<double> S);
};

struct SeriesOptions {
  std::optional<double> duration_s;  // default kDefaultSeriesDuration, or 500 Tp if longer
  std::optional<double> dt_s;        // default 1/20 of the shortest component period
  std::optional<SeriesTarget> target;
  std::optional<double> target_H13_m;  // a JNS or Sspe trailer's H1/3 and T1/3
  std::optional<double> target_T13_s;
  bool keep_curves = true;    // false: no wave list and no Welch density (many points)
  int synthesis_threads = 1;  // threads that share the synthesis of the record (a point checked alone)
  ProgressCallback progress;  // synthesis progress, in samples
};

struct SpectrumComparison {
  double target_m0 = 0.0;                      // m^2
  double m0_relative_error = 0.0;              // Welch m0 / target m0 - 1
  double target_peak_frequency = 0.0;          // Hz
  double peak_frequency_relative_error = 0.0;  // 0 when the estimate has no peak
};

struct PointSeries {
  double duration_s = 0.0;
  double dt_s = 0.0;
  std::size_t samples = 0;               // t = k dt, k = 0..samples-1
  double components_m0 = 0.0;            // sum a^2/2, m^2
  double Hm0 = 0.0;                      // 4 sqrt(components_m0), m
  double peak_period_s = 0.0;            // Tp of the components
  double variance_m2 = 0.0;              // mean square of the record about still water
  double variance_relative_error = 0.0;  // variance / components_m0 - 1

  WaveStatistics waves;
  double H13_over_Hm0 = 0.0;
  double rayleigh_H13_over_Hm0 = 0.0;
  double Hmax_over_H13 = 0.0;
  double rayleigh_Hmax_over_H13 = 0.0;       // for this record's number of waves
  std::optional<double> H13_relative_error;  // against target_H13_m
  std::optional<double> T13_relative_error;  // against target_T13_s
  std::vector<Wave> wave_list;               // empty unless keep_curves

  WelchSpectrum welch;  // density empty unless keep_curves
  std::optional<SpectrumComparison> versus_target;

  Repetition repetition;  // lags from kRepetitionFirstLagPeriods Tp to the duration
  bool repeats = false;   // max autocorrelation above kRepetitionWarning
};

// Tp of the components: the peak of their density, or the period of the most
// energetic one when fewer than two distinct frequencies give no density.
// Throws std::invalid_argument without a positive frequency.
double ComponentPeakPeriod(std::span<const double> f, std::span<const double> a);

// The defaults of SeriesOptions: the duration for components of peak period
// Tp (s), and the time step for components of frequencies f (Hz; at least
// one positive).
double DefaultSeriesDuration(double peak_period_s);
double DefaultSeriesStep(std::span<const double> f);

// The samples of a record from t = 0 to duration_s every dt_s seconds. Throws
// std::invalid_argument when either is not positive and finite, or for more
// than kMaxSeriesSamples samples.
std::size_t SeriesSamples(double duration_s, double dt_s);

// An upper estimate of the memory AnalyseSeries holds at once for a record
// of `samples` samples whose Welch segments are `segment` samples long: the
// record (8 bytes a sample) with its waves (at most one per two samples, and
// their sorted copy) and the Welch transform (some 80 bytes a segment
// sample), then the autocorrelation's transform (about 18 bytes per padded
// sample, of which there are about twice as many as samples) with the waves
// that are kept, once the record itself is freed.
std::size_t SeriesPeakBytes(std::size_t samples, std::size_t segment);

// Synthesises the record and analyses it. Throws std::invalid_argument for
// components of unequal counts, no components, a duration or time step that
// is not positive, or a record of more than kMaxSeriesSamples samples.
PointSeries AnalyseSeries(std::span<const double> f, std::span<const double> a, std::span<const double> phase,
                          const SeriesOptions& options = {});

}  // namespace wavecomp::check
