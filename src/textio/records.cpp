// First version: strtod-based field parsing. To be checked against gfortran.
#include "textio/records.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "control/run_stop.h"

namespace wavecomp::textio {

void ThrowInputError(const std::string& file_name, std::size_t line_number, int first_column, int last_column,
                     std::string_view expected, std::string_view found) {
  std::ostringstream text;
  text << "input error in " << file_name << ", line " << line_number;
  if (first_column > 0) text << ", columns " << first_column << "-" << last_column;
  text << ": expected " << expected;
  if (!found.empty()) text << ", found \"" << found << "\"";
  throw RunStop::Error(text.str(), kExitInputError);
}

TextFile::TextFile(std::string name, std::string content) : name_(std::move(name)), content_(std::move(content)) {
  std::size_t begin = 0;
  while (begin < content_.size()) {
    std::size_t end = content_.find('\n', begin);
    const std::size_t stop = end == std::string::npos ? content_.size() : end;
    std::size_t length = stop - begin;
    if (length > 0 && content_[begin + length - 1] == '\r') --length;
    records_.push_back({begin, length});
    if (end == std::string::npos) break;
    begin = end + 1;
  }
}

std::optional<TextFile> TextFile::Open(const std::string& path) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) return std::nullopt;
  std::string content((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
  if (stream.bad()) return std::nullopt;
  return TextFile(path, std::move(content));
}

TextFile TextFile::FromString(std::string name, std::string content) {
  return TextFile(std::move(name), std::move(content));
}

std::string_view TextFile::record(std::size_t index) const {
  return std::string_view(content_).substr(records_[index].begin, records_[index].length);
}

FieldReader::FieldReader(std::string_view record, const std::string& file_name, std::size_t line_number)
    : record_(record), file_name_(file_name), line_number_(line_number) {}

std::string_view FieldReader::Field(int w) {
  const std::size_t start = static_cast<std::size_t>(column_ - 1);
  column_ += w;
  if (start >= record_.size()) return {};
  return record_.substr(start, static_cast<std::size_t>(w));
}

void FieldReader::Skip(int n) { column_ += n; }

std::optional<std::int32_t> FieldReader::TryI(int w) {
  std::string digits;
  for (char c : Field(w)) {
    if (c != ' ') digits.push_back(c);
  }
  if (digits.empty()) return 0;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(digits.c_str(), &end, 10);
  if (*end != '\0' || errno != 0 || value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

std::optional<double> FieldReader::TryF(int w, int d) {
  std::string text;
  for (char c : Field(w)) {
    if (c != ' ') text.push_back(c == 'D' || c == 'd' ? 'E' : c);
  }
  if (text.empty()) return 0.0;
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  if (*end != '\0') return std::nullopt;
  if (text.find('.') == std::string::npos && d > 0) value /= std::pow(10.0, d);
  return value;
}

std::int32_t FieldReader::I(int w) {
  const int first = column_;
  const std::string_view raw = record_.size() >= static_cast<std::size_t>(first) ? record_.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(w)) : std::string_view();
  const std::optional<std::int32_t> value = TryI(w);
  if (!value) ThrowInputError(file_name_, line_number_, first, first + w - 1, "an integer (I" + std::to_string(w) + ")", raw);
  return *value;
}

double FieldReader::F(int w, int d) {
  const int first = column_;
  const std::string_view raw = record_.size() >= static_cast<std::size_t>(first) ? record_.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(w)) : std::string_view();
  const std::optional<double> value = TryF(w, d);
  if (!value) ThrowInputError(file_name_, line_number_, first, first + w - 1, "a real number", raw);
  return *value;
}

std::string FieldReader::A(int w) {
  std::string text(Field(w));
  text.resize(static_cast<std::size_t>(w), ' ');
  return text;
}

RecordCursor::RecordCursor(const TextFile& file) : file_(&file) {}

FieldReader RecordCursor::Next(std::string_view what) {
  if (AtEnd()) ThrowInputError(file_->name(), next_ + 1, 0, 0, std::string(what), "the end of the file");
  const std::size_t index = next_++;
  return FieldReader(file_->record(index), file_->name(), index + 1);
}

std::optional<FieldReader> RecordCursor::TryNext() {
  if (AtEnd()) return std::nullopt;
  const std::size_t index = next_++;
  return FieldReader(file_->record(index), file_->name(), index + 1);
}

void RecordCursor::Skip(std::string_view what) { Next(what); }

std::string_view RecordCursor::NextText(std::string_view what) {
  Next(what);
  return file_->record(next_ - 1);
}

void RecordCursor::ReadFixedList(std::span<double> values, int per_record, int w, int d, std::string_view what) {
  std::size_t index = 0;
  while (index < values.size()) {
    FieldReader record = Next(what);
    for (int k = 0; k < per_record && index < values.size(); ++k) values[index++] = record.F(w, d);
  }
}

void RecordCursor::SkipFixedList(std::size_t count, int per_record, std::string_view what) {
  const std::size_t per = static_cast<std::size_t>(per_record);
  for (std::size_t records = (count + per - 1) / per; records > 0; --records) Skip(what);
}

bool RecordCursor::ReadList(std::span<double> values, std::string_view what) {
  std::size_t index = 0;
  while (index < values.size()) {
    if (AtEnd()) return false;
    const std::size_t line = next_ + 1;
    std::string_view text = file_->record(next_++);
    std::size_t position = 0;
    while (index < values.size()) {
      while (position < text.size() && (text[position] == ' ' || text[position] == ',' || text[position] == '\t')) ++position;
      if (position >= text.size()) break;
      std::size_t end = position;
      while (end < text.size() && text[end] != ' ' && text[end] != ',' && text[end] != '\t') ++end;
      std::string word(text.substr(position, end - position));
      for (char& c : word) {
        if (c == 'D' || c == 'd') c = 'E';
      }
      char* stop = nullptr;
      const double value = std::strtod(word.c_str(), &stop);
      if (*stop != '\0') {
        ThrowInputError(file_->name(), line, static_cast<int>(position + 1), static_cast<int>(end), std::string(what), text.substr(position, end - position));
      }
      values[index++] = value;
      position = end;
    }
  }
  return true;
}

std::string ListWord(std::string_view line, std::size_t length) {
  std::size_t position = 0;
  while (position < line.size() && (line[position] == ' ' || line[position] == '\t')) ++position;
  std::string word;
  if (position < line.size() && (line[position] == '\'' || line[position] == '"')) {
    const char quote = line[position++];
    while (position < line.size() && line[position] != quote) word.push_back(line[position++]);
  } else {
    while (position < line.size() && line[position] != ' ' && line[position] != ',' && line[position] != '/' && line[position] != '\t') {
      word.push_back(line[position++]);
    }
  }
  if (word.size() > length) word.resize(length);
  return word;
}

}  // namespace wavecomp::textio
