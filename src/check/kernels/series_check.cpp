#include "check/kernels/series_check.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "check/kernels/rayleigh.h"
#include "check/kernels/real_fft.h"
#include "check/kernels/statistics.h"

namespace wavecomp::check {
namespace {

double RelativeError(double measured, double target) { return measured / target - 1.0; }

}  // namespace

SeriesTarget SeriesTarget::From(const TargetSpectrum& target) {
  SeriesTarget result;
  result.m0 = target.Total();
  result.peak_frequency = target.PeakFrequency();
  result.density = [copy = target](double f) { return copy.Density(f); };
  return result;
}

SeriesTarget SeriesTarget::FromSamples(std::vector<double> f, std::vector<double> S) {
  return From(TargetSpectrum::Samples("samples", std::move(f), std::move(S)));
}

double ComponentPeakPeriod(std::span<const double> f, std::span<const double> a) {
  const std::optional<double> fp = PeakFrequency(ComponentDensity(f, a));
  if (fp && *fp > 0.0) return 1.0 / *fp;
  std::size_t strongest = f.size();
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (f[i] > 0.0 && (strongest == f.size() || std::abs(a[i]) > std::abs(a[strongest]))) strongest = i;
  }
  if (strongest == f.size()) throw std::invalid_argument("no component with a positive frequency");
  return 1.0 / f[strongest];
}

double DefaultSeriesDuration(double peak_period_s) {
  return std::max(kDefaultSeriesDuration, kDefaultSeriesPeakPeriods * peak_period_s);
}

double DefaultSeriesStep(std::span<const double> f) {
  if (f.empty()) throw std::invalid_argument("no components");
  return 1.0 / (kDefaultStepsPerPeriod * *std::max_element(f.begin(), f.end()));
}

std::size_t SeriesSamples(double duration_s, double dt_s) {
  if (!(duration_s > 0.0) || !std::isfinite(duration_s)) throw std::invalid_argument("duration must be positive");
  if (!(dt_s > 0.0) || !std::isfinite(dt_s)) throw std::invalid_argument("time step must be positive");
  // The record covers 0..duration; the small allowance keeps a duration that
  // is a whole number of steps from losing its last sample to rounding.
  const double steps = std::floor(duration_s / dt_s * (1.0 + 1.0e-12));
  if (!(steps + 1.0 <= static_cast<double>(kMaxSeriesSamples)))
    throw std::invalid_argument("record too long: more samples than the check can hold");
  return static_cast<std::size_t>(steps) + 1;
}

std::size_t SeriesPeakBytes(std::size_t samples, std::size_t segment) {
  const std::size_t waves = 2 * sizeof(Wave) * (samples / 2);
  const std::size_t record = 8 * samples + waves + 80 * segment;
  const std::size_t transform = 18 * FastFftSizeAtLeast(2 * samples) + waves / 2;
  return std::max(record, transform);
}

PointSeries AnalyseSeries(std::span<const double> f, std::span<const double> a, std::span<const double> phase,
                          const SeriesOptions& options) {
  if (f.empty()) throw std::invalid_argument("no components");
  if (a.size() != f.size() || phase.size() != f.size())
    throw std::invalid_argument("components: frequency, amplitude and phase counts differ");
  PointSeries s;
  s.peak_period_s = ComponentPeakPeriod(f, a);
  s.duration_s = options.duration_s.value_or(DefaultSeriesDuration(s.peak_period_s));
  s.dt_s = options.dt_s.value_or(DefaultSeriesStep(f));
  s.samples = SeriesSamples(s.duration_s, s.dt_s);

  for (double amplitude : a) s.components_m0 += 0.5 * amplitude * amplitude;
  s.Hm0 = 4.0 * std::sqrt(s.components_m0);

  std::vector<double> eta = SynthesiseRecord(f, a, phase, s.dt_s, s.samples, options.progress, options.synthesis_threads);
  double square = 0.0;
  for (double value : eta) square += value * value;
  s.variance_m2 = square / static_cast<double>(eta.size());
  if (s.components_m0 > 0.0) s.variance_relative_error = RelativeError(s.variance_m2, s.components_m0);

  std::vector<Wave> waves = ZeroUpCrossingWaves(eta, s.dt_s);
  s.waves = ComputeWaveStatistics(waves);
  s.rayleigh_H13_over_Hm0 = RayleighH13OverHm0();
  s.rayleigh_Hmax_over_H13 = RayleighHmaxOverH13(s.waves.waves);
  if (s.Hm0 > 0.0) s.H13_over_Hm0 = s.waves.H13_m / s.Hm0;
  if (s.waves.H13_m > 0.0) s.Hmax_over_H13 = s.waves.Hmax_m / s.waves.H13_m;
  if (options.target_H13_m && *options.target_H13_m > 0.0)
    s.H13_relative_error = RelativeError(s.waves.H13_m, *options.target_H13_m);
  if (options.target_T13_s && *options.target_T13_s > 0.0)
    s.T13_relative_error = RelativeError(s.waves.T13_s, *options.target_T13_s);
  if (options.keep_curves) s.wave_list = std::move(waves);

  const std::size_t segment = WelchSegmentLength(f, s.dt_s, eta.size());
  if (segment > 0) s.welch = WelchEstimate(eta, s.dt_s, segment);
  if (options.target && options.target->m0 > 0.0 && options.target->peak_frequency > 0.0 && segment > 0) {
    SpectrumComparison c;
    c.target_m0 = options.target->m0;
    c.m0_relative_error = RelativeError(s.welch.m0, c.target_m0);
    c.target_peak_frequency = options.target->peak_frequency;
    if (s.welch.peak_frequency)
      c.peak_frequency_relative_error = RelativeError(*s.welch.peak_frequency, c.target_peak_frequency);
    s.versus_target = c;
  }
  // Moved from, so that its memory goes (assigning {} would keep it): 2048
  // points would otherwise hold a gigabyte of densities nobody reads.
  if (!options.keep_curves) s.welch.density = std::vector<DensitySample>();

  // The last use of the record, which goes before the transform's memory is taken.
  s.repetition = LargestAutocorrelation(std::move(eta), s.dt_s, kRepetitionFirstLagPeriods * s.peak_period_s);
  s.repeats = s.repetition.defined && s.repetition.max_autocorrelation > kRepetitionWarning;
  return s;
}

}  // namespace wavecomp::check
