#include "app/component_generation.h"

#include <stdexcept>
#include <vector>

#include "core/messages.h"
#include "core/spectrum_types.h"
#include "input/point_list.h"
#include "output/component_set_stage.h"
#include "resample/direction_interpolation.h"
#include "resample/frequency_resampling.h"
#include "resample/input_tables.h"
#include "resample/spline.h"
#include "synthesis/components.h"
#include "synthesis/jonswap.h"
#include "synthesis/spreading.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

void WriteFreeLine(Console& console, std::string_view text) { console.WriteLine(textio::ListLine().Text(text).str()); }

}  // namespace

RunStop NoPointsStop(const ControlSettings& control, int num_p) {
  const std::string pnt = PointListName(control.input_file());
  return RunStop::FreeFormat(std::string(messages::kNoPoints),
                             "the point list " + pnt + " gives " + std::to_string(num_p) +
                                 " points (line 1, columns 1-5), so no point was read and no component file was "
                                 "written: give the number of points there, then one line for each point");
}

ComponentSet GenerateComponentSet(const ControlSettings& control, const SpectrumData& data, SpectrumWorkspace& ws,
                                  Console& console, textio::OutputSet& outputs, const WarningSink& warn,
                                  DryRunObserver* dry_run, const BeforeAmplitudes& before_amplitudes) {
  const int N = control.component_count;
  const SpectrumTypeTraits& traits = Traits(control.type);
  if (data.input != traits.input) {
    throw std::invalid_argument("the spectrum value is not of the kind the spectrum type reads");
  }
  // ReadControlFile and ReadSpec refuse these first; settings and a table
  // made in memory meet the same bounds here.
  if (N > kMaxUsedComponents) throw std::invalid_argument("more components than a run makes (1024)");
  if (traits.input == SpectrumInput::kFrequencyTable && N >= 1 && data.points.size() == 1) {
    const std::vector<double>& f = data.points.front().frequencies;
    bool rising = f.size() >= static_cast<std::size_t>(kSplineMinPoints);
    for (std::size_t l = 1; l < f.size(); ++l) rising = rising && f[l] - f[l - 1] > 0.0;
    if (!rising) throw std::invalid_argument("a frequency table needs at least 3 strictly rising frequencies");
  }
  // What the single-point file records: the wave settings as cont.txt gives
  // them unless a stage below replaces them.
  RunRecord run{control.type,  control.H13, control.T13,  control.Dirc,
                control.gamma, 0,           control.Smax, control.input_file()};
  int num_p = 0;
  switch (traits.input) {
    case SpectrumInput::kEnergyBalancePoints:
    case SpectrumInput::kDirectionalPoints:
      FillInputTables(data, ws.input, ws.points, ws.directions, control.input_file(), warn);
      if (dry_run) dry_run->InputRead(control, ws, nullptr);
      direct_spec(control.type, N, ws.input, ws.points, ws.bands, ws.energy, console);
      if (dry_run) dry_run->Divided(control, ws);
      resample_directions(control.type, N, ws.input, ws.directions, ws.bands, ws.direction_tables, ws.distribution,
                          console);
      num_p = ws.points.num_p;
      break;
    case SpectrumInput::kFrequencyTable: {
      FillInputTables(data, ws.input, ws.points, ws.directions);
      if (dry_run) dry_run->InputRead(control, ws, &data.header);
      WriteFreeLine(console, messages::kFinishedReadSpec);
      direct_spec(control.type, N, ws.input, ws.points, ws.bands, ws.energy, console);
      if (dry_run) dry_run->Divided(control, ws);
      WriteFreeLine(console, messages::kFinishedDirectSpec);
      run.H13 = data.header.H13;
      run.T13 = data.header.T13;
      run.Dirc = mitgwd(control, data.header.T13, data.header.Dirc, ws.bands, ws.distribution, console, warn);
      WriteFreeLine(console, messages::kFinishedMitgwd);
      num_p = 1;
      break;
    }
    case SpectrumInput::kNothing:
      JonswapSpectrum(control, ws.bands, outputs, warn);
      if (dry_run) dry_run->InputRead(control, ws, nullptr);
      run.Dirc = mitgwd(control, control.T13, control.Dirc, ws.bands, ws.distribution, console, warn);
      num_p = 1;
      break;
  }

  run.seed = MakeComponents(control, ws.bands, ws.distribution, ws.draws);

  if (num_p == 1) {
    console.WriteLine(textio::ListLine().Integer(run.seed).str());
    return SinglePointComponentSet(N, ws.bands, ws.draws, ws.energy, run);
  }
  // No file can be written, so the run must not look like a success to a script.
  if (num_p < 1) throw NoPointsStop(control, num_p);
  if (before_amplitudes) before_amplitudes(num_p);
  const PointAmplitudeSources sources{control.type, N, ws.input, ws.points, ws.bands, ws.energy};
  return MultiPointComponentSet(sources, ws.draws, ws.point_amplitudes, console);
}

}  // namespace wavecomp
