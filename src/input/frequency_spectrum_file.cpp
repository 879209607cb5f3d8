// The frequency spectrum file of an Sspe run, read in free format: one read
// of H1/3 (m), T1/3 (s) and Dirc. (degrees), then one read per line of a
// frequency (Hz) and a spectral density (m^2 s) up to the end of the file.
#include "input/frequency_spectrum_file.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "core/messages.h"
#include "core/run_stop.h"
#include "core/workspace.h"
#include "input/control_file.h"
#include "input/diagnostics.h"
#include "resample/spline.h"
#include "textio/format.h"
#include "textio/records.h"

namespace wavecomp {
namespace {

[[noreturn]] void RefuseLine(const textio::TextFile& file, std::size_t line, const std::string& expected) {
  textio::ThrowInputError(file.name(), line, 0, 0, expected, "");
}

}  // namespace

SpectrumData ReadSpec(const ControlSettings& control, Console& console) {
  const std::string name = control.input_file();
  const std::optional<textio::TextFile> file = textio::TextFile::Open(name);
  if (!file) {
    throw RunStop::FreeFormat(std::string(messages::kFileNotFind), CannotOpenInputFile("Sspe spectrum file", name));
  }
  textio::RecordCursor cursor(*file);

  double header[3] = {0.0, 0.0, 0.0};
  if (!cursor.ReadList(header, "H1/3, T1/3 and Dirc.")) {
    textio::ThrowInputError(file->name(), cursor.position() + 1, 0, 0, "H1/3, T1/3 and Dirc.", "the end of the file");
  }
  SpectrumData data;
  data.input = SpectrumInput::kFrequencyTable;
  data.header = SpectrumFileHeader{header[0], header[1], header[2]};
  const SpectrumFileHeader& wave = data.header;
  std::string echo;
  textio::PutF(echo, wave.H13, 10, 2);
  textio::PutF(echo, wave.T13, 10, 2);
  textio::PutF(echo, wave.Dirc, 10, 2);
  console.WriteLine(echo);

  // The line of every pair, for the messages about the table as a whole.
  // Pairs are never stored beyond the capacity: a file with more is refused.
  std::size_t pair_line[kMaxFrequencies + 1] = {};
  int n_in = 0;
  SpectrumPoint table;
  for (;;) {
    double pair[2] = {0.0, 0.0};
    if (!cursor.ReadList(pair, "a frequency and a spectral density")) break;
    const std::size_t line = cursor.line_number();
    if (n_in == kMaxFrequencies) RefuseLine(*file, line, std::string(messages::kExpectedAtMost3000Pairs));
    // The free-format read refuses NaN, Infinity and overflow already; kept
    // so that no non-finite value can reach the division from this file.
    if (!std::isfinite(pair[0]) || !std::isfinite(pair[1])) {
      RefuseLine(*file, line, std::string(messages::kExpectedFinitePair));
    }
    if (pair[1] < 0.0) {
      throw RunStop::Silent(file->name() + " line " + std::to_string(line) + ": the spectral density " +
                            textio::PlainNumber(pair[1]) + " m^2 s at " + textio::PlainNumber(pair[0]) +
                            " Hz is below 0" + kNegativeDensityAdvice);
    }
    ++n_in;
    table.frequencies.push_back(pair[0]);
    table.density.push_back(pair[1]);
    pair_line[n_in] = line;
  }
  data.AddPoint(std::move(table));
  console.WriteLine(textio::ListLine().Integer(n_in).str());
  const std::vector<double>& f = data.points.front().frequencies;

  // The values are kept as read, but a table that has no spline cannot be
  // divided into components: the division would never gather its energy.
  if (control.component_count < 1) return data;
  if (n_in < kSplineMinPoints) {
    throw RunStop::BadInput(name + ": " + std::to_string(n_in) + std::string(messages::kTooFewPairs) +
                            std::string(messages::kNoFileWritten) +
                            ": after the line of H1/3, T1/3 and Dirc. give one frequency (Hz) and density (m^2 s) "
                            "per line, frequencies rising");
  }
  for (int j = 2; j <= n_in; ++j) {
    if (!(f[static_cast<std::size_t>(j - 1)] - f[static_cast<std::size_t>(j - 2)] > 0.0)) {
      RefuseLine(*file, pair_line[j],
                 std::string(messages::kExpectedRisingFrequency) + std::to_string(pair_line[j - 1]) + ")");
    }
  }
  return data;
}

}  // namespace wavecomp
