// The single-point component wave file: a header, N component records of
// frequency (Hz), amplitude (m), direction (radians) and phase (radians), two
// empty records and a trailer with the settings of the run.
#include "output/component_file.h"

#include <cmath>
#include <optional>
#include <string>

#include "core/messages.h"
#include "core/run_stop.h"
#include "output/component_records.h"
#include "textio/format.h"
#include "textio/output_file.h"

namespace wavecomp {
namespace {

constexpr int kJonswapCode = 3;    // spectrum code of a synthesised JONSWAP spectrum
constexpr int kTabulatedCode = 9;  // spectrum code of every spectrum read from a file
constexpr int kTrailerNameWidth = 50;

// The Ene amplitudes carry the energy that the spline resampling gained or
// lost; every other type writes a(i) as drawn.
double AmplitudeFactor(const SpectrumWorkspace& workspace) {
  if (!IsSpectrumType(workspace.control, "Ene")) return 1.0;
  return std::sqrt(workspace.E_in / workspace.E_spl);
}

// Every real the file will hold must be finite: a NaN or Infinity in a
// component wave file would be read by the wave model as garbage or not at
// all. Checked before the file is created, so nothing is left behind.
void CheckFinite(const SpectrumWorkspace& workspace, double factor) {
  const ControlSettings& control = workspace.control;
  const bool factor_broken = !std::isfinite(factor);
  for (int i = 1; i <= control.component_count; ++i) {
    const NonFiniteField field =
        FirstNonFinite(workspace.f[i], workspace.a[i] * factor, workspace.theta[i], workspace.phase[i]);
    if (field != NonFiniteField::kNone) {
      StopOnNonFiniteComponent(i, field, 0, 0, factor_broken, workspace.E_spl);
    }
  }
  const bool jonswap = IsSpectrumType(control, "JNS");
  const bool with_settings =
      jonswap || IsSpectrumType(control, "Emep") || IsSpectrumType(control, "Sspe") || IsSpectrumType(control, "Ene");
  if (!with_settings) return;
  if (!std::isfinite(control.H13)) StopOnNonFiniteSetting(messages::kNonFiniteHeight);
  if (!std::isfinite(control.T13)) StopOnNonFiniteSetting(messages::kNonFinitePeriod);
  if (!std::isfinite(control.Dirc)) StopOnNonFiniteSetting(messages::kNonFiniteDirc);
  if (jonswap && !std::isfinite(control.gamma)) StopOnNonFiniteSetting(messages::kNonFiniteGamma);
  if ((jonswap || IsSpectrumType(control, "Sspe")) && !std::isfinite(control.Smax)) {
    StopOnNonFiniteSetting(messages::kNonFiniteSmax);
  }
}

void WriteSmaxRecord(textio::OutputFile& file, const ControlSettings& control) {
  std::string record;
  textio::PutA(record, messages::kSmaxLabel, 5);
  textio::PutX(record, 1);
  textio::PutF(record, control.Smax, 5, 2);
  file.WriteLine(record);
}

// H1/3, T1/3 and Dirc. in E15.6.
void AppendWaveSettings(std::string& record, const ControlSettings& control) {
  textio::PutE(record, control.H13, kComponentFieldWidth, kComponentFieldDecimals);
  textio::PutE(record, control.T13, kComponentFieldWidth, kComponentFieldDecimals);
  textio::PutE(record, control.Dirc, kComponentFieldWidth, kComponentFieldDecimals);
}

// A50 of the blank-padded 200-character name: its first 50 characters, so a
// short name is followed by blanks. Built from the trimmed name so that a
// field never written (zero bytes) still gives blanks.
void WriteInputFileName(textio::OutputFile& file, const ControlSettings& control) {
  std::string record(Trimmed(control.input_file_name).substr(0, kTrailerNameWidth));
  record.resize(kTrailerNameWidth, ' ');
  file.WriteLine(record);
}

void WriteTrailer(textio::OutputFile& file, const SpectrumWorkspace& workspace) {
  const ControlSettings& control = workspace.control;
  std::string record;
  if (IsSpectrumType(control, "JNS")) {
    textio::PutA(record, std::string_view(control.spectrum_type, sizeof control.spectrum_type), 6);
    file.WriteLine(record);
    record.clear();
    AppendWaveSettings(record, control);
    textio::PutE(record, control.gamma, kComponentFieldWidth, kComponentFieldDecimals);
    file.WriteLine(record);
    record.clear();
    textio::PutI(record, control.random_seed, 5);
    file.WriteLine(record);
    WriteSmaxRecord(file, control);
    return;
  }
  const bool sspe = IsSpectrumType(control, "Sspe");
  if (!sspe && !IsSpectrumType(control, "Emep") && !IsSpectrumType(control, "Ene")) return;
  AppendWaveSettings(record, control);
  file.WriteLine(record);
  WriteInputFileName(file, control);
  if (sspe) WriteSmaxRecord(file, control);
}

}  // namespace

void WriteComponentFile(SpectrumWorkspace& workspace, Console& console) {
  ControlSettings& control = workspace.control;
  console.WriteLine(textio::ListLine().Integer(control.random_seed).str());

  const bool jonswap = IsSpectrumType(control, "JNS");
  const int spectrum_code = jonswap ? kJonswapCode : kTabulatedCode;
  const double factor = AmplitudeFactor(workspace);
  // gamma belongs to the JONSWAP synthesis only; the file shows 0.0 otherwise.
  if (!jonswap) control.gamma = 0.0;
  CheckFinite(workspace, factor);

  std::optional<textio::OutputFile> file =
      textio::OutputFile::CreateExclusive(std::string(Trimmed(control.output_file_name)));
  if (!file) throw RunStop::FreeFormat(std::string(messages::kErrorExistOutFile));

  std::string record;
  textio::PutI(record, workspace.num_p, 5);
  file->WriteLine(record);
  record.clear();
  textio::PutI(record, control.component_count, 5);
  textio::PutI(record, spectrum_code, 5);
  textio::PutF(record, control.gamma, 10, 1);
  file->WriteLine(record);

  for (int i = 1; i <= control.component_count; ++i) {
    record.clear();
    AppendComponentRecord(record, workspace.f[i], workspace.a[i] * factor, workspace.theta[i], workspace.phase[i]);
    file->WriteLine(record);
  }
  file->WriteLine("");
  file->WriteLine("");
  WriteTrailer(*file, workspace);
  file->Commit();
}

}  // namespace wavecomp
