#include "app/run_driver.h"

#include "core/messages.h"
#include "core/run_stop.h"
#include "core/spectrum_types.h"
#include "input/control_file.h"
#include "input/directional_spectrum_reader.h"
#include "input/energy_balance_reader.h"
#include "input/frequency_spectrum_file.h"
#include "input/point_list.h"
#include "output/component_file.h"
#include "output/component_records.h"
#include "output/component_set_stage.h"
#include "output/multipoint_file.h"
#include "resample/direction_interpolation.h"
#include "resample/frequency_resampling.h"
#include "synthesis/components.h"
#include "synthesis/jonswap.h"
#include "synthesis/spreading.h"
#include "textio/errors.h"
#include "textio/format.h"
#include "textio/output_file.h"

namespace wavecomp {
namespace {

constexpr int kSourceNameWidth = 30;  // bytes of the right-justified source name
constexpr int kEchoedFileNameWidth = 50;

void WriteFreeLine(Console& console, std::string_view text) { console.WriteLine(textio::ListLine().Text(text).str()); }

// The end of a successful run: its files appear, all of them or none. What
// the run showed must have reached its console first (a full disk under a
// redirected standard output stops the run like any other failed write).
void PublishOutputs(textio::OutputSet& outputs, Console& console, const std::string& component_file,
                    bool multi_point) {
  RequireStandardOutput(console, "; the run stopped and wrote no file");
  try {
    outputs.PublishAll();
  } catch (const textio::OutputExists&) {
    throw ExistingOutputStop(component_file, multi_point, NameTaken::kAtPublication);
  }
}

}  // namespace

void EchoSettings(const ControlSettings& control, Console& console) {
  const SpectrumTypeTraits& traits = Traits(control.type);
  std::string line(messages::kSpectrumLabel);
  textio::PutA(line, traits.source_name, kSourceNameWidth);
  console.WriteLine(line);
  console.WriteLine("");
  line.clear();
  if (!traits.reads_input_file()) {
    line += messages::kEchoHeight;
    textio::PutF(line, control.H13, 7, 2);
    line += "m  ";
    line += messages::kEchoPeriod;
    textio::PutF(line, control.T13, 7, 2);
    line += "s  ";
    line += messages::kEchoDirection;
    textio::PutF(line, control.Dirc, 7, 2);
    line += messages::kDegreeSign;
    line += "  ";
    line += messages::kEchoGamma;
    textio::PutF(line, control.gamma, 7, 2);
  } else {
    line += messages::kInputFileLabel;
    textio::PutA(line, std::string_view(control.input_file_field).substr(0, kEchoedFileNameWidth));
  }
  console.WriteLine(line);
}

RunStop NoPointsStop(const ControlSettings& control, int num_p) {
  const std::string pnt = PointListName(control.input_file());
  return RunStop::FreeFormat(std::string(messages::kNoPoints),
                             "the point list " + pnt + " gives " + std::to_string(num_p) +
                                 " points (line 1, columns 1-5), so no point was read and no component file was "
                                 "written: give the number of points there, then one line for each point");
}

void RunWavecomp(SpectrumWorkspace& ws, Console& console, const std::string& control_path, const WarningSink& warn,
                 DryRunObserver* dry_run) {
  const ControlSettings control = ReadControlFile(control_path, warn);
  if (dry_run) dry_run->SettingsRead(control);
  EchoSettings(control, console);
  WriteFreeLine(console, messages::kVersion);

  const int N = control.component_count;
  const SpectrumTypeTraits& traits = Traits(control.type);
  // What the single-point file records: the wave settings as cont.txt gives
  // them unless a stage below replaces them.
  RunRecord run{control.type,  control.H13, control.T13,  control.Dirc,
                control.gamma, 0,           control.Smax, control.input_file()};
  int num_p = 0;
  // Every file of the run, held back until its end, and never over a file it reads.
  textio::OutputSet outputs(dry_run ? textio::Publishing::kNever : textio::Publishing::kAtEnd);
  outputs.Reads(control_path);
  if (traits.reads_input_file()) outputs.Reads(control.input_file());
  if (traits.reads_points()) outputs.Reads(PointListName(control.input_file()));
  switch (traits.input) {
    case SpectrumInput::kEnergyBalancePoints:
    case SpectrumInput::kDirectionalPoints:
      if (traits.input == SpectrumInput::kEnergyBalancePoints) {
        ReadEnergyBalancePoints(control, ws.input, ws.points, ws.directions, console, warn);
      } else {
        ReadDirectionalSpectrum(control, ws.input, ws.points, ws.directions, console);
      }
      if (dry_run) dry_run->InputRead(control, ws, nullptr);
      direct_spec(control.type, N, ws.input, ws.points, ws.bands, ws.energy, console);
      if (dry_run) dry_run->Divided(control, ws);
      resample_directions(control.type, N, ws.input, ws.directions, ws.bands, ws.direction_tables, ws.distribution,
                          console);
      num_p = ws.points.num_p;
      break;
    case SpectrumInput::kFrequencyTable: {
      const SpectrumFileHeader header = ReadSpec(control, ws.input, console);
      if (dry_run) dry_run->InputRead(control, ws, &header);
      WriteFreeLine(console, messages::kFinishedReadSpec);
      direct_spec(control.type, N, ws.input, ws.points, ws.bands, ws.energy, console);
      if (dry_run) dry_run->Divided(control, ws);
      WriteFreeLine(console, messages::kFinishedDirectSpec);
      run.H13 = header.H13;
      run.T13 = header.T13;
      run.Dirc = mitgwd(control, header.T13, header.Dirc, ws.bands, ws.distribution, console, warn);
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
    const ComponentSet set = SinglePointComponentSet(N, ws.bands, ws.draws, ws.energy, run);
    WriteComponentFile(CreateComponentFile(control.output_file(), false, outputs), set, outputs);
  } else if (num_p >= 2) {
    // The name is checked before the amplitudes take their time and show their progress.
    textio::OutputFile file = CreateComponentFile(control.output_file(), true, outputs);
    const PointAmplitudeSources sources{control.type, N, ws.input, ws.points, ws.bands, ws.energy};
    const ComponentSet set = MultiPointComponentSet(sources, ws.draws, ws.point_amplitudes, console);
    WriteMultiPointComponentFile(std::move(file), set, outputs);
  } else {
    // No file was written, so the run must not look like a success to a script.
    throw NoPointsStop(control, num_p);
  }
  if (dry_run) dry_run->Complete(control, num_p, outputs);
  PublishOutputs(outputs, console, control.output_file(), num_p >= 2);
}

}  // namespace wavecomp
