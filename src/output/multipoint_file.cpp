#include "output/multipoint_file.h"

#include <cmath>
#include <string>

#include "core/messages.h"
#include "core/run_stop.h"
#include "core/spectrum_types.h"
#include "output/component_records.h"
#include "textio/format.h"
#include "textio/output_file.h"

namespace wavecomp {
namespace {

using namespace component_layout;

// A NaN or Infinity must never reach the file. The file has no name yet at
// this point; the stop discards it.
void CheckFinite(const PointAmplitudeSources& sources, const ComponentDraws& draws,
                 const PointAmplitudeTable& amplitudes) {
  const double ratio = PointEnergyRatio(sources.energy);
  const bool scale_broken = Traits(sources.type).energy_scaled && !(std::isfinite(ratio) && ratio >= 0.0);
  for (int v = 1; v <= sources.points.num_p; ++v) {
    for (int i = 1; i <= sources.component_count; ++i) {
      const NonFiniteField field = FirstNonFinite(sources.bands.f[i], amplitudes(i, v), draws.theta[i], draws.phase[i]);
      if (field != NonFiniteField::kNone) {
        StopOnNonFiniteComponent(i, field, v, sources.points.point_numbers[v], scale_broken, sources.energy.E_spl);
      }
    }
  }
}

}  // namespace

void WriteMultiPointComponentFile(const std::string& path, const PointAmplitudeSources& sources,
                                  const ComponentDraws& draws, PointAmplitudeTable& amplitudes, Console& console,
                                  textio::OutputSet& outputs, const PointAmplitudeOptions& options) {
  textio::OutputFile file = CreateComponentFile(path, true, outputs);

  const int num_p = sources.points.num_p;
  std::string record;
  textio::PutI(record, num_p, kCountWidth);
  file.WriteLine(record);

  ComputePointAmplitudes(sources, amplitudes, console, options);
  CheckFinite(sources, draws, amplitudes);

  const int N = sources.component_count;
  for (int v = 1; v <= num_p; ++v) {
    record.clear();
    textio::PutI(record, N, kCountWidth);
    textio::PutI(record, kTabulatedCode, kCountWidth);
    textio::PutF(record, 0.0, kGammaWidth, kGammaDecimals);  // gamma belongs to JONSWAP runs only
    textio::PutI(record, sources.points.point_numbers[v], kCountWidth);
    file.WriteLine(record);
    for (int i = 1; i <= N; ++i) {
      record.clear();
      AppendComponentRecord(record, sources.bands.f[i], amplitudes(i, v), draws.theta[i], draws.phase[i]);
      file.WriteLine(record);
    }
  }
  outputs.Add(std::move(file));
}

}  // namespace wavecomp
