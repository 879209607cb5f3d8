#include "app/run_driver.h"

#include <optional>
#include <utility>

#include "core/messages.h"
#include "core/spectrum_types.h"
#include "input/control_file.h"
#include "input/directional_spectrum_reader.h"
#include "input/energy_balance_reader.h"
#include "input/frequency_spectrum_file.h"
#include "input/point_list.h"
#include "output/component_file.h"
#include "output/component_records.h"
#include "output/multipoint_file.h"
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

SpectrumData ReadSpectrumInput(const ControlSettings& control, Console& console) {
  switch (Traits(control.type).input) {
    case SpectrumInput::kFrequencyTable:
      return ReadSpec(control, console);
    case SpectrumInput::kDirectionalPoints:
      return ReadDirectionalSpectrum(control, console);
    case SpectrumInput::kEnergyBalancePoints:
      return ReadEnergyBalancePoints(control, console);
    case SpectrumInput::kNothing:
      break;
  }
  return SpectrumData{};
}

void RunWavecomp(SpectrumWorkspace& ws, Console& console, const std::string& control_path, const WarningSink& warn,
                 DryRunObserver* dry_run) {
  const ControlSettings control = ReadControlFile(control_path, warn);
  if (dry_run) dry_run->SettingsRead(control);
  EchoSettings(control, console);
  WriteFreeLine(console, messages::kVersion);

  const SpectrumTypeTraits& traits = Traits(control.type);
  // Every file of the run, held back until its end, and never over a file it reads.
  textio::OutputSet outputs(dry_run ? textio::Publishing::kNever : textio::Publishing::kAtEnd);
  outputs.Reads(control_path);
  if (traits.reads_input_file()) outputs.Reads(control.input_file());
  if (traits.reads_points()) outputs.Reads(PointListName(control.input_file()));

  const SpectrumData data = ReadSpectrumInput(control, console);
  // Two or more points: the name is checked before the amplitudes take their
  // time and show their progress.
  std::optional<textio::OutputFile> multi_point_file;
  const ComponentSet set = GenerateComponentSet(control, data, ws, console, outputs, warn, dry_run, [&](int) {
    multi_point_file.emplace(CreateComponentFile(control.output_file(), true, outputs));
  });
  const int num_p = static_cast<int>(set.points.size());
  if (multi_point_file) {
    WriteMultiPointComponentFile(std::move(*multi_point_file), set, outputs);
  } else {
    WriteComponentFile(CreateComponentFile(control.output_file(), false, outputs), set, outputs);
  }
  if (dry_run) dry_run->Complete(control, num_p, outputs);
  PublishOutputs(outputs, console, control.output_file(), num_p >= 2);
}

}  // namespace wavecomp
