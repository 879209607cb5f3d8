#include "input/text_words.h"

#include <charconv>

#include "textio/errors.h"

namespace wavecomp::spectra {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

}  // namespace

bool WordReader::NextLine() {
  while (next_ < file_.record_count()) {
    const std::string_view text = file_.record(next_++);
    std::size_t start = 0;
    while (start < text.size() && IsBlank(text[start])) ++start;
    if (start == text.size()) continue;
    text_ = text;
    line_ = next_;
    position_ = 0;
    return true;
  }
  text_ = {};
  position_ = 0;
  return false;
}

std::optional<Word> WordReader::NextWord() {
  while (position_ < text_.size() && IsBlank(text_[position_])) ++position_;
  if (position_ >= text_.size()) return std::nullopt;
  const std::size_t start = position_;
  while (position_ < text_.size() && !IsBlank(text_[position_])) ++position_;
  return Word{text_.substr(start, position_ - start), line_, static_cast<int>(start + 1), static_cast<int>(position_)};
}

std::optional<Word> WordReader::NextQuoted() {
  while (position_ < text_.size() && IsBlank(text_[position_])) ++position_;
  if (position_ >= text_.size() || text_[position_] != '\'') return NextWord();
  const std::size_t start = position_;
  const std::size_t close = text_.find('\'', start + 1);
  position_ = close == std::string_view::npos ? text_.size() : close + 1;
  return Word{text_.substr(start, position_ - start), line_, static_cast<int>(start + 1), static_cast<int>(position_)};
}

Word WordReader::NextDataWord(std::string_view what) {
  for (;;) {
    if (std::optional<Word> word = NextWord()) return *word;
    if (!NextLine()) RefuseEnd(what);
  }
}

void WordReader::Refuse(const Word& word, std::string_view expected) const {
  textio::ThrowInputError(name(), word.line, word.first_column, word.last_column, expected, word.text);
}

void WordReader::RefuseEnd(std::string_view what) const {
  textio::ThrowEndOfFile(name(), file_.record_count() + 1, what);
}

double WordReader::Real(const Word& word, std::string_view what) const {
  textio::FieldReader field(word.text, name(), word.line);
  const std::optional<double> value = field.TryF(static_cast<int>(word.text.size()), 0);
  if (!value) Refuse(word, what);
  return *value;
}

long WordReader::Integer(const Word& word, std::string_view what) const {
  long value = 0;
  const char* end = word.text.data() + word.text.size();
  const auto [at, error] = std::from_chars(word.text.data(), end, value);
  if (error != std::errc() || at != end) Refuse(word, what);
  return value;
}

}  // namespace wavecomp::spectra
