// What the exported formats share: numbers written as the shortest text
// that reads back as the same double (so that a file read back holds the
// set's values to the last bit, conversions aside), the words of a
// free-format line, and the set of one point a reader returns.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "output/component_file_reader.h"
#include "textio/records.h"

namespace wavecomp::export_text {

// PlainNumber: 0.125 -> "0.125", 1e-05 -> "1e-05"; every model's reader
// (Fortran list-directed, OpenFOAM, JavaScript) takes both forms.
std::string Number(double value);

struct Word {
  std::string_view text;
  int first_column = 1;  // 1-based
  int last_column() const { return first_column + static_cast<int>(text.size()) - 1; }
};
// The words of `line` between blanks, tabs and the characters of `separators`.
std::vector<Word> Words(std::string_view line, std::string_view separators = "");

// A number as the whole word (from_chars, locale-free), or nullopt.
std::optional<double> ParseNumber(std::string_view word);

// Line by line through a file, with the errors every reader of these
// formats gives (file, line, columns, what was expected).
class Lines {
 public:
  explicit Lines(const textio::TextFile& file) : file_(file), cursor_(file) {}
  bool AtEnd() const { return cursor_.AtEnd(); }
  std::string_view Next(std::string_view what) { return cursor_.NextText(what); }
  std::size_t line() const { return cursor_.line_number(); }
  const std::string& name() const { return file_.name(); }

  [[noreturn]] void Fail(const Word& word, std::string_view expected) const;
  [[noreturn]] void FailLine(std::string_view text, std::string_view expected) const;
  // The number of `word`, finite, or an input error expecting `expected`.
  double Number(const Word& word, std::string_view expected) const;
  // The first word of the next line that is not blank, as a number.
  double NextNumber(std::string_view expected);
  // Nothing but blank lines to the end.
  void RequireEnd(std::string_view after);

 private:
  const textio::TextFile& file_;
  textio::RecordCursor cursor_;
};

// A read-back file of one point: its components under wavecomp's
// convention, its header counting them, `first_line` where they start.
ComponentFileContents OnePoint(const std::string& name, std::size_t first_line, std::vector<double> frequency,
                               std::vector<double> amplitude, std::vector<double> direction,
                               std::vector<double> phase);

}  // namespace wavecomp::export_text
