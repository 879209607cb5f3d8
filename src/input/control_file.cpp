#include "input/control_file.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

#include "core/messages.h"
#include "core/run_stop.h"
#include "core/spectrum_types.h"
#include "core/workspace.h"
#include "textio/errors.h"
#include "textio/format.h"

namespace wavecomp {
namespace {

constexpr int kLabelColumns = 10;  // free label before every value
constexpr int kNumberWidth = 10;   // I10 and F10.0

namespace fields = control_fields;

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// The text of columns first..last of a record (shorter when the record ends).
std::string_view Columns(std::string_view record, int first, int last) {
  const std::size_t start = static_cast<std::size_t>(first - 1);
  if (start >= record.size()) return {};
  return record.substr(start, static_cast<std::size_t>(last - first + 1));
}

bool IsBlankText(std::string_view text) { return text.find_first_not_of(' ') == std::string_view::npos; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// What a number of a ten-column field may be written with.
bool IsNumberCharacter(char c) {
  return IsDigit(c) || c == '.' || c == '+' || c == '-' || c == 'E' || c == 'e' || c == 'D' || c == 'd';
}

// The folder a name is looked up in, for the messages.
std::string FolderOf(const std::string& path) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? std::string("the working folder") : absolute.parent_path().string();
}

std::string CannotOpenExplanation(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) {
    return "there is no " + std::filesystem::path(path).filename().string() + " in " + FolderOf(path) +
           ": run wavecomp in the folder that holds cont.txt, or name that folder with -C DIR";
  }
  return "cannot read " + path +
         " (a folder, a device or a file without read permission): cont.txt must be a "
         "readable text file";
}

// The settings of one line, "H1/3, T1/3, Dirc. and gamma".
std::string SettingsOfLine(int line) {
  std::vector<std::string_view> names;
  for (const ControlField& field : fields::kAll) {
    if (field.line == line) names.push_back(field.name);
  }
  std::string text;
  for (std::size_t k = 0; k < names.size(); ++k) {
    if (k > 0) text += k + 1 == names.size() ? " and " : ", ";
    text += names[k];
  }
  return text;
}

// The last column read on a line of settings.
int LastColumnOf(int line) {
  int last = 0;
  for (const ControlField& field : fields::kAll) {
    if (field.line == line) last = std::max(last, field.last_column);
  }
  return last;
}

// A record as a message shows it: quoted, tabs named, cut when long.
std::string RecordAsRead(std::string_view record) {
  constexpr std::size_t kShown = 120;  // enough for every field up to column 50 and a note after it
  std::string text;
  for (char c : record.substr(0, kShown)) text += c == '\t' ? std::string("<tab>") : std::string(1, c);
  if (record.size() > kShown) text += "...";
  return Quoted(textio::Printable(text));
}

// A setting's name in a sentence: "the component count N", "H1/3".
std::string Named(const ControlField& field) {
  const std::string name(field.name);
  return name.find(' ') == std::string::npos ? name : "the " + name;
}

// What a field of `record` reads as, in words: "6", "no number (\"1.0 10.0\")".
std::string FieldAsRead(std::string_view record, const ControlField& field) {
  textio::FieldReader reader(record, kControlFileName, static_cast<std::size_t>(field.line));
  reader.Skip(field.first_column - 1);
  const int width = field.last_column - field.first_column + 1;
  switch (field.kind) {
    case ControlField::Kind::kText:
      return RecordAsRead(TrimmedField(reader.A(width)));
    case ControlField::Kind::kInteger:
      if (const std::optional<std::int32_t> read = reader.TryI(width)) return std::to_string(*read);
      break;
    case ControlField::Kind::kReal:
      if (const std::optional<double> read = reader.TryF(width, 0)) return textio::PlainNumber(*read);
      break;
  }
  return "no number (" + RecordAsRead(Columns(record, field.first_column, field.last_column)) + ")";
}

// Every setting of a line as it reads: "H1/3 = 1, T1/3 = 0, Dirc. = 0 and gamma = 3.3".
std::string ValuesAsRead(std::string_view record, int line) {
  std::vector<std::string> values;
  for (const ControlField& field : fields::kAll) {
    if (field.line == line) values.push_back(Named(field) + " = " + FieldAsRead(record, field));
  }
  std::string text;
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (k > 0) text += k + 1 == values.size() ? " and " : ", ";
    text += values[k];
  }
  return text;
}

// How a line of settings is laid out: "a label in columns 1-10, then ...".
std::string LineLayout(int line) {
  std::string text = "a label in columns 1-10, then";
  bool first = true;
  int count = 0;
  for (const ControlField& field : fields::kAll) count += field.line == line ? 1 : 0;
  int k = 0;
  for (const ControlField& field : fields::kAll) {
    if (field.line != line) continue;
    ++k;
    if (!first) text += k == count ? " and" : ",";
    text += " " + Named(field) + (first ? " within columns " : " within ") + std::to_string(field.first_column) + "-" +
            std::to_string(field.last_column);
    first = false;
  }
  if (count > 1) text += ", each number within its own ten columns (not separated by blanks as in free format)";
  return text;
}

// What a number field that cannot be read probably holds, and what to write
// instead; "" when nothing is recognised.
std::string NumberHint(std::string_view found, const ControlField& field) {
  // A comma beside a decimal point separates numbers; alone it is a decimal comma.
  if (found.find(',') != std::string_view::npos && found.find('.') == std::string_view::npos) {
    return ": a decimal comma; write a decimal point (1.5, not 1,5)";
  }
  // Two numbers with blanks or commas between them: free format.
  const std::size_t digit = found.find_first_of("0123456789");
  if (digit == std::string_view::npos) return {};
  const std::size_t separator = found.find_first_of(" ,", digit);
  if (separator == std::string_view::npos) return {};
  const std::size_t next = found.find_first_not_of(" ,", separator);
  if (next == std::string_view::npos || !IsNumberCharacter(found[next])) return {};
  return ": numbers separated by blanks or commas, as in free format; write " + LineLayout(field.line);
}

// The same input error with what the field means and how it is laid out,
// so the message says what to write.
textio::InputError InField(const textio::InputError& error, const ControlField& field) {
  std::string expected;
  if (error.first_column() > 0) {
    expected = "the " + std::string(field.name);
    if (!field.unit.empty()) expected += " (" + std::string(field.unit) + ")";
    expected += ", " + error.expected() + " anywhere within its ten columns (blanks inside are ignored)";
  } else {
    expected = "line " + std::to_string(field.line) + " with the " + SettingsOfLine(field.line) +
               " (cont.txt holds a title line, then eight lines of settings, each value from column 11)";
  }
  // Tabs never get here: a record holding one is refused before it is read.
  std::string found = error.found();
  if (error.first_column() > 0 && field.kind != ControlField::Kind::kText) found += NumberHint(found, field);
  return textio::InputError(error.file(), error.line(), error.first_column(), error.last_column(), expected, found);
}

// Reads the value fields of one record of the file; layout errors name the
// setting they belong to.
class ControlRecords {
 public:
  explicit ControlRecords(const textio::TextFile& file) : cursor_(file) {
    if (cursor_.AtEnd()) {
      throw textio::InputError(file.name(), 1, 0, 0,
                               "a title line, then eight lines of settings, each value from column 11: the spectrum "
                               "type, the component count N, Smax, the input and the output file name, H1/3, T1/3, "
                               "Dirc. and gamma, fmin and fmax, and the random seed",
                               "the end of the file: the file is empty; write those nine lines (wavecomp --help shows "
                               "them with their columns)");
    }
    cursor_.Skip("the title record");
  }

  // The record of `field`'s line with the label skipped.
  textio::FieldReader Record(const ControlField& field) {
    try {
      textio::FieldReader record = cursor_.Next(SettingsOfLine(field.line));
      record.Skip(kLabelColumns);
      return record;
    } catch (const textio::InputError& error) {
      throw InField(error, field);
    }
  }
  std::string_view Text() const { return cursor_.file().record(cursor_.position() - 1); }

  static std::int32_t I(textio::FieldReader& record, const ControlField& field) {
    try {
      return record.I(kNumberWidth);
    } catch (const textio::InputError& error) {
      throw InField(error, field);
    }
  }
  static double F(textio::FieldReader& record, const ControlField& field) {
    try {
      return record.F(kNumberWidth, 0);
    } catch (const textio::InputError& error) {
      throw InField(error, field);
    }
  }

 private:
  textio::RecordCursor cursor_;
};

std::string TypeExplanation(const std::string& path, std::string_view record) {
  std::string text =
      PlaceOf(fields::kType, path) + ": the spectrum type reads " +
      Quoted(Columns(record, fields::kType.first_column, fields::kType.last_column)) +
      ", which is none of JNS, Sspe, Emep and Ene: write one of them exactly, case as shown, starting in "
      "column 11";
  for (std::string_view key : {"JNS", "Sspe", "Emep", "Ene"}) {
    const std::size_t at = record.find(key);
    if (at == std::string_view::npos || at == static_cast<std::size_t>(fields::kType.first_column - 1)) continue;
    text += " (" + Quoted(key) + " stands in columns " + std::to_string(at + 1) + "-" +
            std::to_string(at + key.size()) + ")";
    break;
  }
  return text;
}

// A number written in the label columns just before a blank value field.
std::string NumberInLabel(std::string_view record) {
  const std::string_view label = Columns(record, 1, kLabelColumns);
  std::size_t start = label.size();
  while (start > 0 && (IsDigit(label[start - 1]) || label[start - 1] == '.')) --start;
  if (start == label.size() || label.size() < static_cast<std::size_t>(kLabelColumns)) return {};
  return ", and columns " + std::to_string(start + 1) + "-" + std::to_string(label.size()) + " of the label hold " +
         Quoted(label.substr(start)) + ", which is not read (values start in column 11)";
}

// A file name written with Windows folder separators is looked up, or
// created, as one name holding backslashes.
void WarnOfBackslash(const std::string& path, const ControlField& field, const std::string& name, bool creates,
                     const WarningSink& warn) {
  const std::size_t at = name.find('\\');
  if (at == std::string::npos) return;
  std::string slashed = name;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  warn(path + " line " + std::to_string(field.line) + ", column " + std::to_string(field.first_column + at) + ": the " +
       std::string(field.name) + " " + Quoted(textio::Printable(name)) +
       " holds a backslash, which is part of the name here and not a folder separator (a Windows path?): the run " +
       (creates ? "creates a file" : "looks for a file") + " of exactly that name in the working folder; write " +
       Quoted(textio::Printable(slashed)) + " if folders are meant");
}

std::string CountExplanation(const std::string& path, std::string_view record, std::int32_t count) {
  std::string text = PlaceOf(fields::kCount, path) + ": the component count N reads " + std::to_string(count);
  const std::string_view field = Columns(record, fields::kCount.first_column, fields::kCount.last_column);
  if (count > kMaxUsedComponents) return text + ", above the largest count 1024: give at most 1024 components";
  if (IsBlankText(field)) text += ": the field is blank" + NumberInLabel(record);
  return text +
         "; N must be 1 to 1024, since a run without components would write a file without components: write the "
         "count within columns 11-20";
}

}  // namespace

std::string PlaceOf(const ControlField& field, std::string_view path) {
  return std::string(path) + " line " + std::to_string(field.line) + ", columns " + std::to_string(field.first_column) +
         "-" + std::to_string(field.last_column);
}

std::string CannotOpenInputFile(std::string_view kind, const std::string& name) {
  const std::string where = PlaceOf(fields::kInputFile);
  if (name.empty()) {
    return "the " + std::string(kind) + " is not named: " + where + " is blank; write the file name there";
  }
  std::error_code error;
  std::string text = "cannot open the " + std::string(kind) + " " + Quoted(name) + " named in " + where;
  if (std::filesystem::exists(name, error)) {
    return text + ": it is a folder, a device or not readable; name a readable text file there";
  }
  return text + ", looked for in " + FolderOf(name) +
         ": check the name there (letters in the same case, starting in column 11) and that the file is in that folder";
}

std::optional<std::string> ControlFileSlip(const textio::TextFile& file) {
  const std::string& name = file.name();
  for (int line = fields::kType.line; line <= fields::kSeed.line; ++line) {
    const std::size_t index = static_cast<std::size_t>(line - 1);
    if (index >= file.record_count()) break;
    const std::string_view record = file.record(index);
    // A tab after the last field changes nothing that is read.
    const std::string_view read_part = record.substr(0, static_cast<std::size_t>(LastColumnOf(line)));
    if (const std::size_t tab = read_part.find('\t'); tab != std::string_view::npos) {
      std::size_t count = 0;
      for (char c : read_part) count += c == '\t' ? 1 : 0;
      std::string text =
          name + " line " + std::to_string(line) + ", column " + std::to_string(tab + 1) + ": a tab character";
      if (count > 1) text += " (and " + std::to_string(count - 1) + " more)";
      return text + " in the record " + RecordAsRead(record) + ", which reads " + ValuesAsRead(record, line) +
             "; a tab counts as one column, not a jump to a tab stop: write blanks instead, so that the record holds " +
             LineLayout(line);
    }
    for (const ControlField& field : fields::kAll) {
      if (field.line != line || field.kind == ControlField::Kind::kText) continue;
      // The boundary between the column before the field and its first one.
      const std::size_t left = static_cast<std::size_t>(field.first_column - 2);
      if (left + 1 >= record.size()) continue;
      const char before = record[left];
      const char first = record[left + 1];
      const bool runs_in = ((IsDigit(before) || before == '.') && first != ' ') ||
                           ((before == '+' || before == '-') && (IsDigit(first) || first == '.'));
      if (!runs_in) continue;
      std::size_t start = left;
      while (start > 0 && IsNumberCharacter(record[start - 1])) --start;
      std::size_t end = left + 1;
      while (end + 1 < record.size() && IsNumberCharacter(record[end + 1]) &&
             end + 1 < static_cast<std::size_t>(field.last_column))
        ++end;
      return name + " line " + std::to_string(line) + ", columns " + std::to_string(field.first_column - 1) + "-" +
             std::to_string(field.first_column) + ": the number " + Quoted(record.substr(start, end - start + 1)) +
             " in the record " + RecordAsRead(record) + " runs across the start of the " + std::string(field.name) +
             " field (columns " + std::to_string(field.first_column) + "-" + std::to_string(field.last_column) +
             "), which alone is read and gives " + FieldAsRead(record, field) +
             "; move the number into its field, so that the record holds " + LineLayout(line);
    }
  }
  return std::nullopt;
}

ControlSettings ReadControlFile(const std::string& path, const WarningSink& warn) {
  const std::optional<textio::TextFile> file = textio::TextFile::Open(path);
  if (!file) {
    throw RunStop::ConsoleLine("   " + std::string(messages::kCannotOpenControlFile), CannotOpenExplanation(path));
  }
  // A slip reads as some other value without a word, and a batch run would
  // write a wrong sea with status 0: refused before anything is read.
  if (const std::optional<std::string> slip = ControlFileSlip(*file)) throw RunStop::Silent(*slip);
  ControlSettings control;
  ControlRecords records(*file);

  textio::FieldReader type_record = records.Record(fields::kType);
  const std::optional<SpectrumType> type = ParseSpectrumType(type_record.A(4));
  if (!type) {
    throw RunStop::FreeFormat(std::string(messages::kBadSpectrumType), TypeExplanation(path, records.Text()));
  }
  control.type = *type;

  textio::FieldReader count_record = records.Record(fields::kCount);
  control.component_count = ControlRecords::I(count_record, fields::kCount);
  if (control.component_count > kMaxUsedComponents) {
    throw RunStop::FreeFormat(std::string(messages::kTooManyComponents),
                              CountExplanation(path, records.Text(), control.component_count));
  }
  // No message of the program fits, so only the explanation is shown.
  if (control.component_count < 1)
    throw RunStop::Silent(CountExplanation(path, records.Text(), control.component_count));

  textio::FieldReader smax_record = records.Record(fields::kSmax);
  control.Smax = ControlRecords::F(smax_record, fields::kSmax);

  textio::FieldReader input_record = records.Record(fields::kInputFile);
  control.input_file_field = input_record.A(kFileNameLength);

  textio::FieldReader output_record = records.Record(fields::kOutputFile);
  control.output_file_field = output_record.A(kFileNameLength);
  if (warn) {
    if (Traits(control.type).reads_input_file()) {
      WarnOfBackslash(path, fields::kInputFile, control.input_file(), false, warn);
    }
    WarnOfBackslash(path, fields::kOutputFile, control.output_file(), true, warn);
  }

  control.dirmax = 90.0;
  control.dirmin = -90.0;

  textio::FieldReader wave_record = records.Record(fields::kH13);
  control.H13 = ControlRecords::F(wave_record, fields::kH13);
  control.T13 = ControlRecords::F(wave_record, fields::kT13);
  control.Dirc = ControlRecords::F(wave_record, fields::kDirc);
  control.gamma = ControlRecords::F(wave_record, fields::kGamma);

  textio::FieldReader range_record = records.Record(fields::kFmin);
  control.fmin = ControlRecords::F(range_record, fields::kFmin);
  control.fmax = ControlRecords::F(range_record, fields::kFmax);
  control.fmin = control.fmin + kFminOffset;

  textio::FieldReader seed_record = records.Record(fields::kSeed);
  control.random_seed = ControlRecords::I(seed_record, fields::kSeed);
  return control;
}

}  // namespace wavecomp
