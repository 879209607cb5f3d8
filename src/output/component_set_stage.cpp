#include "output/component_set_stage.h"

#include <cmath>

#include "core/messages.h"
#include "core/spectrum_types.h"
#include "output/component_records.h"

namespace wavecomp {
namespace {

// The Ene amplitudes carry the energy that the spline resampling gained or
// lost; every other type keeps a(i) as drawn.
double AmplitudeFactor(SpectrumType type, const EnergyCheck& energy) {
  if (!Traits(type).energy_scaled) return 1.0;
  return std::sqrt(energy.E_in / energy.E_spl);
}

// The frequencies, directions and phases of components 1..N.
void SharedValues(int component_count, const FrequencyBands& bands, const ComponentDraws& draws, ComponentSet& set) {
  set.frequency.assign(bands.f + 1, bands.f + 1 + component_count);
  set.direction.assign(draws.theta + 1, draws.theta + 1 + component_count);
  set.phase.assign(draws.phase + 1, draws.phase + 1 + component_count);
}

// Every real a file will hold must be finite: a NaN or Infinity in a
// component wave file would be read by the wave model as garbage or not at
// all. `scale_broken` names the energies as the cause of a bad amplitude.
void CheckComponentsFinite(const ComponentSet& set, bool scale_broken, double E_spl) {
  const bool multi_point = set.points.size() > 1;
  for (std::size_t p = 0; p < set.points.size(); ++p) {
    const ComponentSet::Point& point = set.points[p];
    for (int i = 1; i <= set.component_count(); ++i) {
      const NonFiniteField field =
          FirstNonFinite(set.frequency[i - 1], point.amplitude[i - 1], set.direction[i - 1], set.phase[i - 1]);
      if (field != NonFiniteField::kNone) {
        StopOnNonFiniteComponent(i, field, multi_point ? static_cast<int>(p) + 1 : 0, point.number, scale_broken,
                                 E_spl);
      }
    }
  }
}

void CheckRunFinite(const RunRecord& run) {
  if (!std::isfinite(run.H13)) StopOnNonFiniteSetting(messages::kNonFiniteHeight);
  if (!std::isfinite(run.T13)) StopOnNonFiniteSetting(messages::kNonFinitePeriod);
  if (!std::isfinite(run.Dirc)) StopOnNonFiniteSetting(messages::kNonFiniteDirc);
  if (!std::isfinite(WrittenGamma(run))) StopOnNonFiniteSetting(messages::kNonFiniteGamma);
  if (Traits(run.type).spread && !std::isfinite(run.Smax)) StopOnNonFiniteSetting(messages::kNonFiniteSmax);
}

}  // namespace

ComponentSet SinglePointComponentSet(int component_count, const FrequencyBands& bands, const ComponentDraws& draws,
                                     const EnergyCheck& energy, const RunRecord& run) {
  ComponentSet set;
  SharedValues(component_count, bands, draws, set);
  const double factor = AmplitudeFactor(run.type, energy);
  ComponentSet::Point& point = set.points.emplace_back();
  point.amplitude.resize(static_cast<std::size_t>(component_count));
  for (int i = 1; i <= component_count; ++i) point.amplitude[i - 1] = draws.a[i] * factor;
  set.run = run;
  CheckComponentsFinite(set, !std::isfinite(factor), energy.E_spl);
  CheckRunFinite(set.run);
  return set;
}

ComponentSet MultiPointComponentSet(const PointAmplitudeSources& sources, const ComponentDraws& draws,
                                    PointAmplitudeTable& amplitudes, Console& console,
                                    const PointAmplitudeOptions& options) {
  ComputePointAmplitudes(sources, amplitudes, console, options);
  const int N = sources.component_count;
  ComponentSet set;
  SharedValues(N, sources.bands, draws, set);
  set.points.resize(static_cast<std::size_t>(sources.points.num_p));
  for (int v = 1; v <= sources.points.num_p; ++v) {
    ComponentSet::Point& point = set.points[v - 1];
    point.number = sources.points.point_numbers[v];
    point.amplitude.resize(static_cast<std::size_t>(N));
    for (int i = 1; i <= N; ++i) point.amplitude[i - 1] = amplitudes(i, v);
  }
  set.run.type = sources.type;
  const double ratio = PointEnergyRatio(sources.energy);
  const bool scale_broken = Traits(sources.type).energy_scaled && !(std::isfinite(ratio) && ratio >= 0.0);
  CheckComponentsFinite(set, scale_broken, sources.energy.E_spl);
  return set;
}

}  // namespace wavecomp
