// The frequency spectrum file of an Sspe run, read in free format: one read
// of H1/3 (m), T1/3 (s) and Dirc. (degrees), then one read per line of a
// frequency (Hz) and a spectral density (m^2 s) up to the end of the file.
#include "input/frequency_spectrum_file.h"

#include <cmath>
#include <cstddef>
#include <string>

#include "core/messages.h"
#include "core/run_stop.h"
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

SpectrumFileHeader ReadSpec(const ControlSettings& control, InputSpectrum& input, Console& console) {
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
  const SpectrumFileHeader wave{header[0], header[1], header[2]};
  std::string echo;
  textio::PutF(echo, wave.H13, 10, 2);
  textio::PutF(echo, wave.T13, 10, 2);
  textio::PutF(echo, wave.Dirc, 10, 2);
  console.WriteLine(echo);

  // The line of every pair, for the messages about the table as a whole.
  // Pairs are never stored beyond the capacity: a file with more is refused.
  std::size_t pair_line[kMaxFrequencies + 1] = {};
  int n_in = 0;
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
    input.f_in[n_in] = pair[0];
    input.S_in[n_in] = pair[1];
    pair_line[n_in] = line;
  }
  input.n_in = n_in;
  console.WriteLine(textio::ListLine().Integer(n_in).str());

  // The values are kept as read, but a table that has no spline cannot be
  // divided into components: the division would never gather its energy.
  if (control.component_count < 1) return wave;
  if (n_in < kSplineMinPoints) {
    throw RunStop::BadInput(name + ": " + std::to_string(n_in) + std::string(messages::kTooFewPairs) +
                            std::string(messages::kNoFileWritten) +
                            ": after the line of H1/3, T1/3 and Dirc. give one frequency (Hz) and density (m^2 s) "
                            "per line, frequencies rising");
  }
  for (int j = 2; j <= n_in; ++j) {
    if (!(input.f_in[j] - input.f_in[j - 1] > 0.0)) {
      RefuseLine(*file, pair_line[j],
                 std::string(messages::kExpectedRisingFrequency) + std::to_string(pair_line[j - 1]) + ")");
    }
  }
  return wave;
}

}  // namespace wavecomp
