#include "app/run_driver.h"

#include "core/messages.h"
#include "core/run_stop.h"
#include "input/directional_spectrum_reader.h"
#include "input/energy_balance_reader.h"
#include "input/frequency_spectrum_file.h"
#include "output/component_file.h"
#include "output/multipoint_file.h"
#include "resample/direction_interpolation.h"
#include "resample/frequency_resampling.h"
#include "synthesis/components.h"
#include "synthesis/jonswap.h"
#include "synthesis/spreading.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

constexpr int kSourceNameWidth = 30;  // bytes of the right-justified source name
constexpr int kEchoedFileNameWidth = 50;

std::string_view SourceName(const ControlSettings& control) {
  if (IsSpectrumType(control, "JNS")) return messages::kSourceJonswap;
  if (IsSpectrumType(control, "Emep")) return messages::kSourceEmep;
  if (IsSpectrumType(control, "Sspe")) return messages::kSourceSspe;
  return messages::kSourceEne;
}

void WriteFreeLine(Console& console, std::string_view text) { console.WriteLine(textio::ListLine().Text(text).str()); }

}  // namespace

void EchoSettings(const SpectrumWorkspace& workspace, Console& console) {
  const ControlSettings& control = workspace.control;
  std::string line(messages::kSpectrumLabel);
  textio::PutA(line, SourceName(control), kSourceNameWidth);
  console.WriteLine(line);
  console.WriteLine("");
  line.clear();
  if (IsSpectrumType(control, "JNS")) {
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
    textio::PutA(line, std::string_view(control.input_file_name, kFileNameLength).substr(0, kEchoedFileNameWidth));
  }
  console.WriteLine(line);
}

void RunWavecomp(SpectrumWorkspace& workspace, Console& console, const std::string& control_path) {
  ReadControlFile(workspace, console, control_path);
  EchoSettings(workspace, console);
  WriteFreeLine(console, messages::kVersion);

  const ControlSettings& control = workspace.control;
  if (IsSpectrumType(control, "Ene")) {
    ReadEnergyBalancePoints(workspace, console);
    direct_spec(workspace, console);
    resample_directions(workspace, console);
  } else if (IsSpectrumType(control, "Emep")) {
    ReadDirectionalSpectrum(workspace, console);
    direct_spec(workspace, console);
    resample_directions(workspace, console);
  } else if (IsSpectrumType(control, "Sspe")) {
    ReadSpec(workspace, console);
    WriteFreeLine(console, messages::kFinishedReadSpec);
    direct_spec(workspace, console);
    WriteFreeLine(console, messages::kFinishedDirectSpec);
    mitgwd(workspace, console);
    WriteFreeLine(console, messages::kFinishedMitgwd);
    workspace.num_p = 1;
  } else if (IsSpectrumType(control, "JNS")) {
    JonswapSpectrum(workspace, console);
    mitgwd(workspace, console);
    workspace.num_p = 1;
  }

  MakeComponents(workspace, console);

  if (workspace.num_p == 1) {
    WriteComponentFile(workspace, console);
  } else if (workspace.num_p >= 2) {
    WriteMultiPointComponentFile(workspace, console);
  } else {
    // No file was written, so the run must not look like a success to a script.
    throw RunStop::FreeFormat(std::string(messages::kNoPoints));
  }
}

}  // namespace wavecomp
