#include "output/csv_file.h"

#include <string>
#include <vector>

#include "output/export_text.h"
#include "synthesis/numerics.h"

namespace wavecomp {

using namespace csv_layout;

void WriteCsvFile(textio::OutputFile& file, const ComponentSet& set, std::size_t point,
                  const ExportSettings& settings) {
  const ComponentSet::Point& p = set.points[point];
  const std::vector<double>& f = set.FrequenciesOf(p);
  const std::vector<double>& direction = set.DirectionsOf(p);
  const std::vector<double>& phase = set.PhasesOf(p);
  std::string line;
  for (std::string_view column : kColumns) {
    if (!line.empty()) line += ',';
    line += column;
  }
  if (settings.depth_m) {
    for (std::string_view column : kDepthColumns) (line += ',') += column;
  }
  file.WriteLine(line);
  for (std::size_t i = 0; i < p.amplitude.size(); ++i) {
    line = std::to_string(i + 1);
    for (double value : {f[i], 1.0 / f[i], p.amplitude[i], 2.0 * p.amplitude[i], direction[i] * kDegreesPerRadian,
                         direction[i], phase[i] * kDegreesPerRadian, phase[i]}) {
      (line += ',') += export_text::Number(value);
    }
    if (settings.depth_m) {
      const double k = LinearWavenumber(f[i], *settings.depth_m);
      (line += ',') += export_text::Number(k);
      (line += ',') += export_text::Number(kTwoPi / k);
    }
    file.WriteLine(line);
  }
}

ComponentFileContents ReadCsvFile(const textio::TextFile& file) {
  export_text::Lines lines(file);
  std::string header;
  for (std::string_view column : kColumns) {
    if (!header.empty()) header += ',';
    header += column;
  }
  const std::string header_what = "the header line " + header + " (then perhaps the depth's columns)";
  const std::string_view head = lines.Next(header_what);
  const std::vector<export_text::Word> names = export_text::Words(head, ",");
  if (names.size() < std::size(kColumns)) lines.FailLine(head, header_what);
  for (std::size_t c = 0; c < std::size(kColumns); ++c) {
    if (names[c].text != kColumns[c]) lines.Fail(names[c], "the column " + std::string(kColumns[c]));
  }
  const std::size_t first_line = lines.line() + 1;
  std::vector<double> f, amplitude, direction, phase;
  while (!lines.AtEnd()) {
    const std::string what = "component " + std::to_string(f.size() + 1) + ": " + std::to_string(names.size()) +
                             " comma-separated values";
    const std::string_view text = lines.Next(what);
    const std::vector<export_text::Word> fields = export_text::Words(text, ",");
    if (fields.empty()) {
      if (text.find_first_not_of(" \t\r") != std::string_view::npos) lines.FailLine(text, what);
      lines.RequireEnd("the last component");
      break;
    }
    if (fields.size() != names.size()) lines.FailLine(text, what);
    const double number = lines.Number(fields[0], "the component number " + std::to_string(f.size() + 1));
    if (number != static_cast<double>(f.size() + 1)) {
      lines.Fail(fields[0], "the component number " + std::to_string(f.size() + 1));
    }
    f.push_back(lines.Number(fields[kFrequencyColumn], "a frequency (Hz)"));
    amplitude.push_back(lines.Number(fields[kAmplitudeColumn], "an amplitude (m)"));
    direction.push_back(lines.Number(fields[kDirectionColumn], "a direction (rad)"));
    phase.push_back(lines.Number(fields[kPhaseColumn], "a phase (rad)"));
    if (!(f.back() > 0.0)) lines.Fail(fields[kFrequencyColumn], "a frequency above 0 Hz");
    if (!(amplitude.back() >= 0.0)) lines.Fail(fields[kAmplitudeColumn], "an amplitude of 0 m or more");
  }
  return export_text::OnePoint(file.name(), first_line, std::move(f), std::move(amplitude), std::move(direction),
                               std::move(phase));
}

}  // namespace wavecomp
