#include "check/kernels/zero_crossing.h"

#include <algorithm>

namespace wavecomp::check {
namespace {

// The extreme of the parabola through (-1, y0), (0, y1), (1, y2), where y1 is
// the highest (or lowest) of the three.
double ParabolaExtreme(double y0, double y1, double y2) {
  const double curvature = y0 - 2.0 * y1 + y2;
  if (curvature == 0.0) return y1;
  const double offset = 0.5 * (y0 - y2) / curvature;
  return y1 - 0.25 * (y0 - y2) * offset;
}

// Mean height and period of the first `count` waves of `sorted`.
void MeanOfHighest(std::span<const Wave> sorted, std::size_t count, double& H, double* T) {
  double height = 0.0, period = 0.0;
  for (std::size_t j = 0; j < count; ++j) {
    height += sorted[j].height_m;
    period += sorted[j].period_s;
  }
  H = height / static_cast<double>(count);
  if (T != nullptr) *T = period / static_cast<double>(count);
}

}  // namespace

std::vector<Wave> ZeroUpCrossingWaves(std::span<const double> eta, double dt) {
  std::vector<Wave> waves;
  bool started = false;
  double start = 0.0;     // instant of the last up-crossing
  std::size_t first = 0;  // first sample after it
  for (std::size_t k = 0; k + 1 < eta.size(); ++k) {
    if (!(eta[k] < 0.0 && eta[k + 1] >= 0.0)) continue;
    const double instant = (static_cast<double>(k) + eta[k] / (eta[k] - eta[k + 1])) * dt;
    if (started) {
      // Samples first..k; first >= 1 and k + 1 < n, so both neighbours exist.
      std::size_t crest = first, trough = first;
      for (std::size_t j = first + 1; j <= k; ++j) {
        if (eta[j] > eta[crest]) crest = j;
        if (eta[j] < eta[trough]) trough = j;
      }
      const double high = ParabolaExtreme(eta[crest - 1], eta[crest], eta[crest + 1]);
      const double low = ParabolaExtreme(eta[trough - 1], eta[trough], eta[trough + 1]);
      waves.push_back({start, instant - start, high - low});
    }
    started = true;
    start = instant;
    first = k + 1;
  }
  return waves;
}

WaveStatistics ComputeWaveStatistics(std::span<const Wave> waves) {
  WaveStatistics s;
  s.waves = waves.size();
  if (waves.empty()) return s;
  std::vector<Wave> sorted(waves.begin(), waves.end());
  std::stable_sort(sorted.begin(), sorted.end(), [](const Wave& x, const Wave& y) { return x.height_m > y.height_m; });
  s.Hmax_m = sorted.front().height_m;
  MeanOfHighest(sorted, std::max<std::size_t>(1, sorted.size() / 3), s.H13_m, &s.T13_s);
  MeanOfHighest(sorted, std::max<std::size_t>(1, sorted.size() / 10), s.H110_m, nullptr);
  MeanOfHighest(sorted, sorted.size(), s.Hmean_m, &s.Tmean_s);
  return s;
}

}  // namespace wavecomp::check
