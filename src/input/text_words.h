// Words of a free-format text file, for the readers of the text sources
// (WAVEWATCH III, NDBC): each word knows its line and columns, so a reader
// refuses a word with the file, the line, the columns and what it expected.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "textio/records.h"

namespace wavecomp::spectra {

struct Word {
  std::string_view text;
  std::size_t line = 0;  // 1-based
  int first_column = 0;  // 1-based
  int last_column = 0;
};

class WordReader {
 public:
  explicit WordReader(const textio::TextFile& file) : file_(file) {}

  const std::string& name() const { return file_.name(); }
  std::size_t line() const { return line_; }

  // Moves to the next line that is not blank; false at the end of the file.
  bool NextLine();
  // The current line as it stands.
  std::string_view text() const { return text_; }
  // The next word of the current line; nullopt at its end.
  std::optional<Word> NextWord();
  // The next word on this line or the following ones; the end of the file
  // is an input error expecting `what`.
  Word NextDataWord(std::string_view what);
  // The next word of this line, a quoted string ('...', may hold blanks)
  // taken whole with its quotes.
  std::optional<Word> NextQuoted();

  [[noreturn]] void Refuse(const Word& word, std::string_view expected) const;
  // The end of the file where `what` was expected.
  [[noreturn]] void RefuseEnd(std::string_view what) const;
  double Real(const Word& word, std::string_view what) const;
  long Integer(const Word& word, std::string_view what) const;

 private:
  const textio::TextFile& file_;
  std::size_t next_ = 0;  // record to read next
  std::size_t line_ = 0;
  std::string_view text_;
  std::size_t position_ = 0;
};

}  // namespace wavecomp::spectra
