#include "output/export_text.h"

#include <charconv>
#include <cmath>
#include <utility>

#include "textio/errors.h"
#include "textio/format.h"

namespace wavecomp::export_text {

std::string Number(double value) { return textio::PlainNumber(value); }

std::vector<Word> Words(std::string_view line, std::string_view separators) {
  const auto is_break = [separators](char c) {
    return c == ' ' || c == '\t' || c == '\r' || separators.find(c) != std::string_view::npos;
  };
  std::vector<Word> words;
  std::size_t k = 0;
  while (k < line.size()) {
    while (k < line.size() && is_break(line[k])) ++k;
    const std::size_t start = k;
    while (k < line.size() && !is_break(line[k])) ++k;
    if (k > start) words.push_back({line.substr(start, k - start), static_cast<int>(start) + 1});
  }
  return words;
}

std::optional<double> ParseNumber(std::string_view word) {
  if (word.starts_with('+')) word.remove_prefix(1);
  double value = 0.0;
  const auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (word.empty() || failure != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

void Lines::Fail(const Word& word, std::string_view expected) const {
  textio::ThrowInputError(file_.name(), line(), word.first_column, word.last_column(), expected, word.text);
}

void Lines::FailLine(std::string_view text, std::string_view expected) const {
  if (text.find_first_not_of(" \t\r") == std::string_view::npos) {
    textio::ThrowDescribedInputError(file_.name(), line(), 0, 0, expected, "an empty line");
  }
  textio::ThrowInputError(file_.name(), line(), 0, 0, expected, text);
}

double Lines::Number(const Word& word, std::string_view expected) const {
  const std::optional<double> value = ParseNumber(word.text);
  if (!value || !std::isfinite(*value)) Fail(word, expected);
  return *value;
}

double Lines::NextNumber(std::string_view expected) {
  for (;;) {
    if (AtEnd()) textio::ThrowEndOfFile(file_.name(), line(), expected);
    const std::string_view text = Next(expected);
    const std::vector<Word> words = Words(text);
    if (!words.empty()) return Number(words.front(), expected);
  }
}

void Lines::RequireEnd(std::string_view after) {
  while (!AtEnd()) {
    const std::string_view text = Next("");
    if (!Words(text).empty()) FailLine(text, "the end of the file after " + std::string(after));
  }
}

ComponentFileContents OnePoint(const std::string& name, std::size_t first_line, std::vector<double> frequency,
                               std::vector<double> amplitude, std::vector<double> direction,
                               std::vector<double> phase) {
  ComponentFileContents contents;
  contents.name = name;
  contents.num_p = 1;
  contents.layout = FileLayout::kSinglePoint;
  PointHeader& header = contents.headers.emplace_back();
  header.declared_count = static_cast<std::int32_t>(frequency.size());
  header.header_line = first_line;
  contents.set.frequency = std::move(frequency);
  contents.set.direction = std::move(direction);
  contents.set.phase = std::move(phase);
  contents.set.points.push_back({0, std::move(amplitude), {}, {}, {}});
  return contents;
}

}  // namespace wavecomp::export_text
