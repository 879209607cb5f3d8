#include "output/celeris_file.h"

#include <cmath>
#include <string>
#include <vector>

#include "output/export_text.h"

namespace wavecomp {

using namespace celeris_layout;

void WriteCelerisFile(textio::OutputFile& file, const ComponentSet& set, std::size_t point,
                      const ExportSettings& /*settings*/) {
  const ComponentSet::Point& p = set.points[point];
  const std::vector<double>& f = set.FrequenciesOf(p);
  const std::vector<double>& direction = set.DirectionsOf(p);
  const std::vector<double>& phase = set.PhasesOf(p);
  file.WriteLine(std::string(kCountKey) + " " + std::to_string(p.amplitude.size()));
  file.WriteLine(kRule);
  std::string line;
  for (std::size_t i = 0; i < p.amplitude.size(); ++i) {
    line = export_text::Number(p.amplitude[i]);
    line += ' ';
    line += export_text::Number(1.0 / f[i]);
    line += ' ';
    line += export_text::Number(direction[i]);
    line += ' ';
    line += export_text::Number(phase[i] + kPhaseShift);
    file.WriteLine(line);
  }
}

ComponentFileContents ReadCelerisFile(const textio::TextFile& file) {
  export_text::Lines lines(file);
  const std::string count_what = std::string(kCountKey) + ", one blank and the number of waves";
  const std::string_view head = lines.Next(count_what);
  if (!head.starts_with(std::string(kCountKey) + " ") || head.size() <= kCountKey.size() + 1 ||
      head[kCountKey.size() + 1] == ' ') {
    lines.FailLine(head, count_what + " (Celeris reads the field after exactly one blank)");
  }
  const std::vector<export_text::Word> words = export_text::Words(head);
  const double count = lines.Number(words[1], count_what);
  if (words.size() != 2 || !(count >= 1.0) || count != std::floor(count) || count > 1.0e7) {
    lines.FailLine(head, count_what + " (a whole number of 1 or more)");
  }
  const std::size_t N = static_cast<std::size_t>(count);
  const std::string_view rule = lines.Next("a line of \"=\"");
  if (rule.empty() || rule.find_first_not_of('=') != std::string_view::npos) lines.FailLine(rule, "a line of \"=\"");
  std::vector<double> f(N), amplitude(N), direction(N), phase(N);
  const std::size_t first_line = lines.line() + 1;
  for (std::size_t i = 0; i < N; ++i) {
    const std::string what = "wave " + std::to_string(i + 1) + " of " + std::to_string(N) +
                             ": amplitude (m), period (s), direction (rad), phase (rad)";
    const std::string_view text = lines.Next(what);
    const std::vector<export_text::Word> fields = export_text::Words(text);
    if (fields.size() != 4) lines.FailLine(text, what);
    amplitude[i] = lines.Number(fields[0], "an amplitude (m)");
    const double period = lines.Number(fields[1], "a period (s)");
    direction[i] = lines.Number(fields[2], "a direction (rad)");
    phase[i] = lines.Number(fields[3], "a phase (rad)") - kPhaseShift;
    if (!(amplitude[i] >= 0.0)) lines.Fail(fields[0], "an amplitude of 0 m or more");
    if (!(period > 0.0)) lines.Fail(fields[1], "a period above 0 s");
    f[i] = 1.0 / period;
  }
  lines.RequireEnd("the last wave");
  return export_text::OnePoint(file.name(), first_line, std::move(f), std::move(amplitude), std::move(direction),
                               std::move(phase));
}

}  // namespace wavecomp
