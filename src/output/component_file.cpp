// The single-point component wave file: a header, N component records of
// frequency (Hz), amplitude (m), direction (radians) and phase (radians), two
// empty records and a trailer with the settings of the run.
#include "output/component_file.h"

#include <string>
#include <vector>

#include "core/spectrum_types.h"
#include "output/component_records.h"
#include "textio/format.h"
#include "textio/output_file.h"

namespace wavecomp {
namespace {

using namespace component_layout;

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

void WriteComponentFile(textio::OutputFile file, const ComponentSet& set, textio::OutputSet& outputs) {
  const RunRecord& run = set.run;
  const ComponentSet::Point& point = set.points.front();
  const std::vector<double>& f = set.FrequenciesOf(point);
  const std::vector<double>& direction = set.DirectionsOf(point);
  const std::vector<double>& phase = set.PhasesOf(point);
  const int N = static_cast<int>(point.amplitude.size());
  std::string record;
  textio::PutI(record, 1, kCountWidth);  // one point
  file.WriteLine(record);
  record.clear();
  textio::PutI(record, N, kCountWidth);
  textio::PutI(record, Traits(run.type).synthesised ? kJonswapCode : kTabulatedCode, kCountWidth);
  textio::PutF(record, WrittenGamma(run), kGammaWidth, kGammaDecimals);
  file.WriteLine(record);

  for (int i = 0; i < N; ++i) {
    record.clear();
    AppendComponentRecord(record, f[i], point.amplitude[i], direction[i], phase[i]);
    file.WriteLine(record);
  }
  file.WriteLine("");
  file.WriteLine("");
  WriteTrailer(file, run);
  outputs.Add(std::move(file));
}

}  // namespace wavecomp
