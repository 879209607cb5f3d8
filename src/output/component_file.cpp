// The single-point component wave file: a header, N component records of
// frequency (Hz), amplitude (m), direction (radians) and phase (radians), two
// empty records and a trailer with the settings of the run.
#include "output/component_file.h"

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

// The Ene amplitudes carry the energy that the spline resampling gained or
// lost; every other type writes a(i) as drawn.
double AmplitudeFactor(SpectrumType type, const EnergyCheck& energy) {
  if (!Traits(type).energy_scaled) return 1.0;
  return std::sqrt(energy.E_in / energy.E_spl);
}

// gamma belongs to the JONSWAP synthesis only; the file shows 0.0 otherwise.
double WrittenGamma(const RunRecord& run) { return Traits(run.type).synthesised ? run.gamma : 0.0; }

// Every real the file will hold must be finite: a NaN or Infinity in a
// component wave file would be read by the wave model as garbage or not at
// all. Checked before the file is created, so nothing is left behind.
void CheckFinite(int component_count, const FrequencyBands& bands, const ComponentDraws& draws, double factor,
                 const EnergyCheck& energy, const RunRecord& run) {
  const bool factor_broken = !std::isfinite(factor);
  for (int i = 1; i <= component_count; ++i) {
    const NonFiniteField field = FirstNonFinite(bands.f[i], draws.a[i] * factor, draws.theta[i], draws.phase[i]);
    if (field != NonFiniteField::kNone) StopOnNonFiniteComponent(i, field, 0, 0, factor_broken, energy.E_spl);
  }
  if (!std::isfinite(run.H13)) StopOnNonFiniteSetting(messages::kNonFiniteHeight);
  if (!std::isfinite(run.T13)) StopOnNonFiniteSetting(messages::kNonFinitePeriod);
  if (!std::isfinite(run.Dirc)) StopOnNonFiniteSetting(messages::kNonFiniteDirc);
  if (!std::isfinite(WrittenGamma(run))) StopOnNonFiniteSetting(messages::kNonFiniteGamma);
  if (Traits(run.type).spread && !std::isfinite(run.Smax)) StopOnNonFiniteSetting(messages::kNonFiniteSmax);
}

void WriteSmaxRecord(textio::OutputFile& file, double Smax) {
  std::string record;
  textio::PutA(record, kSmaxLabel, static_cast<int>(kSmaxLabel.size()));
  textio::PutX(record, 1);
  textio::PutF(record, Smax, kSmaxWidth, kSmaxDecimals);
  file.WriteLine(record);
}

// H1/3, T1/3 and Dirc. in E15.6.
void AppendWaveSettings(std::string& record, const RunRecord& run) {
  textio::PutE(record, run.H13, kRealWidth, kRealDecimals);
  textio::PutE(record, run.T13, kRealWidth, kRealDecimals);
  textio::PutE(record, run.Dirc, kRealWidth, kRealDecimals);
}

// A50 of the name: its first 50 characters, a shorter name followed by blanks.
void WriteInputFileName(textio::OutputFile& file, const RunRecord& run) {
  std::string record = run.input_file_name.substr(0, kFileNameWidth);
  record.resize(kFileNameWidth, ' ');
  file.WriteLine(record);
}

void WriteTrailer(textio::OutputFile& file, const RunRecord& run) {
  std::string record;
  if (Traits(run.type).synthesised) {
    textio::PutA(record, SpectrumTypeField(run.type), kTypeWidth);
    file.WriteLine(record);
    record.clear();
    AppendWaveSettings(record, run);
    textio::PutE(record, run.gamma, kRealWidth, kRealDecimals);
    file.WriteLine(record);
    record.clear();
    textio::PutI(record, run.seed, kCountWidth);
    file.WriteLine(record);
    WriteSmaxRecord(file, run.Smax);
    return;
  }
  AppendWaveSettings(record, run);
  file.WriteLine(record);
  WriteInputFileName(file, run);
  if (Traits(run.type).spread) WriteSmaxRecord(file, run.Smax);
}

}  // namespace

void WriteComponentFile(const std::string& path, int component_count, const FrequencyBands& bands,
                        const ComponentDraws& draws, const EnergyCheck& energy, const RunRecord& run,
                        Console& console, textio::OutputSet& outputs) {
  console.WriteLine(textio::ListLine().Integer(run.seed).str());

  const double factor = AmplitudeFactor(run.type, energy);
  CheckFinite(component_count, bands, draws, factor, energy, run);

  textio::OutputFile file = CreateComponentFile(path, false, outputs);

  std::string record;
  textio::PutI(record, 1, kCountWidth);  // one point
  file.WriteLine(record);
  record.clear();
  textio::PutI(record, component_count, kCountWidth);
  textio::PutI(record, Traits(run.type).synthesised ? kJonswapCode : kTabulatedCode, kCountWidth);
  textio::PutF(record, WrittenGamma(run), kGammaWidth, kGammaDecimals);
  file.WriteLine(record);

  for (int i = 1; i <= component_count; ++i) {
    record.clear();
    AppendComponentRecord(record, bands.f[i], draws.a[i] * factor, draws.theta[i], draws.phase[i]);
    file.WriteLine(record);
  }
  file.WriteLine("");
  file.WriteLine("");
  WriteTrailer(file, run);
  outputs.Add(std::move(file));
}

}  // namespace wavecomp
