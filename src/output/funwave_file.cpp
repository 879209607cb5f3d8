#include "output/funwave_file.h"

#include <cmath>
#include <string>
#include <vector>

#include "output/export_text.h"
#include "synthesis/numerics.h"

namespace wavecomp {
namespace {

using namespace funwave_layout;


void WriteValue(textio::OutputFile& file, double value, std::string_view label) {
  std::string line = export_text::Number(value);
  line += "  ";
  line += label;
  file.WriteLine(line);
}

}  // namespace

double FunwavePeakPeriod(const std::vector<double>& frequency, const std::vector<double>& amplitude) {
  if (frequency.empty()) return 0.0;
  double peak_f = frequency.front();
  double densest = -1.0;
  for (std::size_t i = 0; i + 1 < frequency.size(); ++i) {
    const double spacing = std::abs(frequency[i + 1] - frequency[i]);
    if (!(spacing > 0.0)) continue;
    const double density = 0.25 * (amplitude[i] * amplitude[i] + amplitude[i + 1] * amplitude[i + 1]) / spacing;
    if (density > densest) {
      densest = density;
      peak_f = 0.5 * (frequency[i] + frequency[i + 1]);
    }
  }
  return 1.0 / peak_f;
}

void WriteFunwaveFile(textio::OutputFile& file, const ComponentSet& set, std::size_t point,
                      const ExportSettings& /*settings*/) {
  const ComponentSet::Point& p = set.points[point];
  const std::vector<double>& f = set.FrequenciesOf(p);
  const std::vector<double>& direction = set.DirectionsOf(p);
  const std::vector<double>& phase = set.PhasesOf(p);
  file.WriteLine(std::to_string(p.amplitude.size()) + "  " + std::string(kCountLabel));
  WriteValue(file, FunwavePeakPeriod(f, p.amplitude), kPeakPeriodLabel);
  for (double value : f) WriteValue(file, value, kFrequencyLabel);
  for (double value : direction) WriteValue(file, value * kDegreesPerRadian, kDirectionLabel);
  for (double value : p.amplitude) WriteValue(file, value, kAmplitudeLabel);
  for (double value : phase) WriteValue(file, -value * kDegreesPerRadian, kPhaseLabel);
}

ComponentFileContents ReadFunwaveFile(const textio::TextFile& file) {
  export_text::Lines lines(file);
  const double count = lines.NextNumber("NumFreq, the number of components (a whole number of 1 or more)");
  if (!(count >= 1.0) || count != std::floor(count) || count > 1.0e7) {
    lines.FailLine(std::to_string(count), "NumFreq, the number of components (a whole number of 1 or more)");
  }
  const std::size_t N = static_cast<std::size_t>(count);
  const double peak_period = lines.NextNumber("PeakPeriod (s, above 0)");
  if (!(peak_period > 0.0)) lines.FailLine(export_text::Number(peak_period), "PeakPeriod (s, above 0)");
  const std::size_t first_line = lines.line() + 1;
  std::vector<double> f(N), direction(N), amplitude(N), phase(N);
  for (std::size_t i = 0; i < N; ++i) {
    f[i] = lines.NextNumber("frequency " + std::to_string(i + 1) + " of " + std::to_string(N) + " (Hz, above 0)");
    if (!(f[i] > 0.0)) lines.FailLine(export_text::Number(f[i]), "a frequency above 0 Hz");
  }
  for (std::size_t i = 0; i < N; ++i) {
    const double degrees = lines.NextNumber("direction " + std::to_string(i + 1) + " of " + std::to_string(N) +
                                            " (degrees)");
    if (std::abs(degrees) > kLargestDirection) {
      lines.FailLine(export_text::Number(degrees),
                     "a direction within -90..90 degrees (FUNWAVE-TVD drops any other component)");
    }
    direction[i] = degrees * kDegree;
  }
  for (std::size_t i = 0; i < N; ++i) {
    amplitude[i] = lines.NextNumber("amplitude " + std::to_string(i + 1) + " of " + std::to_string(N) + " (m)");
    if (!(amplitude[i] >= 0.0)) lines.FailLine(export_text::Number(amplitude[i]), "an amplitude of 0 m or more");
  }
  for (std::size_t i = 0; i < N; ++i) {
    phase[i] = -lines.NextNumber("phase " + std::to_string(i + 1) + " of " + std::to_string(N) +
                                 " (degrees; without phases FUNWAVE-TVD draws random ones)") *
               kDegree;
  }
  lines.RequireEnd("the last phase");
  return export_text::OnePoint(file.name(), first_line, std::move(f), std::move(amplitude), std::move(direction),
                               std::move(phase));
}

}  // namespace wavecomp
