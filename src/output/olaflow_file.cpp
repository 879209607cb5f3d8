#include "output/olaflow_file.h"

#include <cmath>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "output/export_text.h"
#include "synthesis/numerics.h"
#include "textio/errors.h"

namespace wavecomp {
namespace {

using namespace olaflow_layout;

constexpr std::string_view kHeader[] = {
    "/*--------------------------------*- C++ -*----------------------------------*\\",
    "  olaFlow wave generation: irregular waves",
    "\\*---------------------------------------------------------------------------*/",
    "FoamFile",
    "{",
    "    version     2.0;",
    "    format      ascii;",
    "    class       dictionary;",
    "    location    \"constant\";",
    "    object      waveDict;",
    "}",
    "// * * * * * * * * * * * * * * * * * * * * * * * * * * * * * * * * * * * * //",
    "",
};

// The generation settings olaFlow reads beside the lists, at its defaults:
// each depends on the case, so each is left for the user to set.
constexpr std::string_view kSettings[] = {
    "// Review these for your case (olaFlow's defaults shown):",
    "// genAbs       false;  // active absorption at the generating patch",
    "// absDir       0;      // degrees",
    "// nPaddles     1;",
    "// waterDepth   -1;     // m; below 0: measured from the water at the patch",
    "// tSmooth      -1;     // s: ramp-up time; below 0: none",
    "// tuningFactor 1;",
    "// secondOrder  false;  // needs every waveDir 0",
    "",
};

void WriteList(textio::OutputFile& file, std::string_view name, const std::vector<double>& values, double scale) {
  file.WriteLine(name);
  file.WriteLine(std::to_string(values.size()));
  file.WriteLine("(");
  for (double value : values) file.WriteLine(export_text::Number(value * scale));
  file.WriteLine(");");
  file.WriteLine("");
}

void WriteList(textio::OutputFile& file, std::string_view name, std::size_t count,
               const std::function<double(std::size_t)>& value) {
  file.WriteLine(name);
  file.WriteLine(std::to_string(count));
  file.WriteLine("(");
  for (std::size_t i = 0; i < count; ++i) file.WriteLine(export_text::Number(value(i)));
  file.WriteLine(");");
  file.WriteLine("");
}

// The words of the dictionary with their lines, comments left out.
struct Token {
  std::string_view text;
  std::size_t line;
  int column;
};

std::vector<Token> Tokens(const textio::TextFile& file) {
  std::vector<Token> tokens;
  textio::RecordCursor cursor(file);
  bool in_block_comment = false;
  while (!cursor.AtEnd()) {
    const std::string_view text = cursor.NextText("");
    const std::size_t line = cursor.line_number();
    std::size_t k = 0;
    while (k < text.size()) {
      if (in_block_comment) {
        const std::size_t end = text.find("*/", k);
        if (end == std::string_view::npos) {
          k = text.size();
        } else {
          k = end + 2;
          in_block_comment = false;
        }
        continue;
      }
      const char c = text[k];
      if (c == ' ' || c == '\t' || c == '\r') {
        ++k;
      } else if (text.substr(k, 2) == "//") {
        k = text.size();
      } else if (text.substr(k, 2) == "/*") {
        in_block_comment = true;
        k += 2;
      } else if (c == '(' || c == ')' || c == ';' || c == '{' || c == '}') {
        tokens.push_back({text.substr(k, 1), line, static_cast<int>(k) + 1});
        ++k;
      } else {
        const std::size_t start = k;
        while (k < text.size() && std::string_view(" \t\r();{}").find(text[k]) == std::string_view::npos &&
               text.substr(k, 2) != "//" && text.substr(k, 2) != "/*") {
          ++k;
        }
        tokens.push_back({text.substr(start, k - start), line, static_cast<int>(start) + 1});
      }
    }
  }
  return tokens;
}

[[noreturn]] void Fail(const textio::TextFile& file, const Token& token, std::string_view expected) {
  textio::ThrowInputError(file.name(), token.line, token.column,
                          token.column + static_cast<int>(token.text.size()) - 1, expected, token.text);
}

struct List {
  std::vector<double> values;
  std::size_t line = 0;
};

}  // namespace

void WriteOlaflowFile(textio::OutputFile& file, const ComponentSet& set, std::size_t point,
                      const ExportSettings& settings) {
  const ComponentSet::Point& p = set.points[point];
  const std::vector<double>& f = set.FrequenciesOf(p);
  const std::vector<double>& direction = set.DirectionsOf(p);
  const std::vector<double>& phase = set.PhasesOf(p);
  for (std::string_view line : kHeader) file.WriteLine(line);
  file.WriteLine("// Made by wavecomp-export from point " + std::to_string(settings.point_number) + " of " +
                 settings.source + " (" + std::to_string(p.amplitude.size()) + " components). Each component is H/2 cos(Kx x + Ky y - omega t + phase).");
  file.WriteLine("");
  file.WriteLine("waveType    " + std::string(kWaveType) + ";");
  file.WriteLine("");
  for (std::string_view line : kSettings) file.WriteLine(line);
  WriteList(file, kHeights, p.amplitude, 2.0);
  WriteList(file, kPeriods, f.size(), [&f](std::size_t i) { return 1.0 / f[i]; });
  WriteList(file, kPhases, phase, -1.0);
  WriteList(file, kDirections, direction, kDegreesPerRadian);
  file.WriteLine("// ************************************************************************* //");
}

ComponentFileContents ReadOlaflowFile(const textio::TextFile& file) {
  const std::vector<Token> tokens = Tokens(file);
  std::map<std::string_view, List> lists;
  bool irregular = false;
  std::size_t k = 0;
  const auto next = [&](std::string_view expected) -> const Token& {
    if (k >= tokens.size()) {
      textio::ThrowEndOfFile(file.name(), tokens.empty() ? 0 : tokens.back().line, expected);
    }
    return tokens[k++];
  };
  while (k < tokens.size()) {
    const Token& key = tokens[k++];
    if (key.text == "FoamFile") {
      // The header's sub-dictionary holds nothing the lists need.
      while (k < tokens.size() && tokens[k].text != "}") ++k;
      ++k;
    } else if (key.text == "waveType") {
      const Token& value = next("the wave type");
      if (value.text != kWaveType) Fail(file, value, "waveType irregular (the lists of several components)");
      irregular = true;
      if (next("\";\"").text != ";") Fail(file, tokens[k - 1], "\";\"");
    } else if (key.text == kHeights || key.text == kPeriods || key.text == kPhases || key.text == kDirections) {
      List& list = lists[key.text];
      list.line = key.line;
      const std::string what = "the list " + std::string(key.text) + ": a count, \"(\", the values, \")\" and \";\"";
      const Token* token = &next(what);
      std::optional<double> declared;
      if (token->text != "(") {
        declared = export_text::ParseNumber(token->text);
        if (!declared || *declared < 0.0 || *declared != std::floor(*declared)) Fail(file, *token, what);
        token = &next(what);
      }
      if (token->text != "(") Fail(file, *token, what);
      for (token = &next(what); token->text != ")"; token = &next(what)) {
        const std::optional<double> value = export_text::ParseNumber(token->text);
        if (!value || !std::isfinite(*value)) Fail(file, *token, "a number of " + std::string(key.text));
        list.values.push_back(*value);
      }
      if (declared && static_cast<std::size_t>(*declared) != list.values.size()) {
        Fail(file, *token, std::string(key.text) + " to hold the " + export_text::Number(*declared) +
                               " values its count says, found " + std::to_string(list.values.size()) + "; then");
      }
      if (next("\";\"").text != ";") Fail(file, tokens[k - 1], "\";\" after the list " + std::string(key.text));
    } else {
      // Any other setting: its value up to ";".
      while (k < tokens.size() && tokens[k].text != ";") ++k;
      ++k;
    }
  }
  const std::size_t last_line = tokens.empty() ? 1 : tokens.back().line;
  if (!irregular) textio::ThrowEndOfFile(file.name(), last_line, "waveType irregular;");
  for (std::string_view name : {kHeights, kPeriods, kPhases, kDirections}) {
    if (!lists.contains(name)) textio::ThrowEndOfFile(file.name(), last_line, "the list " + std::string(name));
  }
  const List& heights = lists[kHeights];
  const std::size_t N = heights.values.size();
  for (std::string_view name : {kPeriods, kPhases, kDirections}) {
    if (lists[name].values.size() != N) {
      textio::ThrowDescribedInputError(file.name(), lists[name].line, 0, 0,
                                       std::string(name) + " of " + std::to_string(N) + " values, as waveHeights",
                                       std::to_string(lists[name].values.size()) + " values");
    }
  }
  if (N < kFewestComponents) {
    textio::ThrowDescribedInputError(file.name(), heights.line, 0, 0,
                                     "two or more components (olaFlow refuses a list of one)",
                                     std::to_string(N));
  }
  std::vector<double> f(N), amplitude(N), direction(N), phase(N);
  for (std::size_t i = 0; i < N; ++i) {
    const double period = lists[kPeriods].values[i];
    if (!(period > 0.0)) {
      textio::ThrowDescribedInputError(file.name(), lists[kPeriods].line, 0, 0, "periods above 0 s",
                                       "period " + std::to_string(i + 1) + " = " + export_text::Number(period));
    }
    f[i] = 1.0 / period;
    amplitude[i] = 0.5 * heights.values[i];
    phase[i] = -lists[kPhases].values[i];
    direction[i] = lists[kDirections].values[i] * kDegree;
  }
  return export_text::OnePoint(file.name(), heights.line, std::move(f), std::move(amplitude), std::move(direction),
                               std::move(phase));
}

}  // namespace wavecomp
