#include "input/control_file.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "core/messages.h"
#include "core/run_stop.h"
#include "core/workspace.h"
#include "textio/errors.h"

namespace wavecomp {
namespace {

// Added to the lower frequency limit as read; it keeps fmin above 0 Hz
// when the file gives 0.
constexpr double kFminOffset = 0.000001;
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
  // A tab would be shown as a blank-looking gap: it is named instead.
  std::string found = error.found();
  if (found.find('\t') != std::string::npos) {
    for (std::size_t at = found.find('\t'); at != std::string::npos; at = found.find('\t', at)) {
      found.replace(at, 1, "<tab>");
    }
    expected += "; a tab is one column, use blanks";
  }
  return textio::InputError(error.file(), error.line(), error.first_column(), error.last_column(), expected, found);
}

// Reads the value fields of one record of the file; layout errors name the
// setting they belong to.
class ControlRecords {
 public:
  explicit ControlRecords(const textio::TextFile& file) : cursor_(file) { cursor_.Skip("the title record"); }

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

std::vector<std::string> ControlFileWarnings(const textio::TextFile& file) {
  std::vector<std::string> warnings;
  const std::string& name = file.name();
  for (int line = fields::kType.line; line <= fields::kSeed.line; ++line) {
    const std::size_t index = static_cast<std::size_t>(line - 1);
    if (index >= file.record_count()) break;
    const std::string_view record = file.record(index);
    if (const std::size_t tab = record.find('\t'); tab != std::string_view::npos) {
      std::size_t count = 0;
      for (char c : record) count += c == '\t' ? 1 : 0;
      std::string text =
          name + " line " + std::to_string(line) + ", column " + std::to_string(tab + 1) + ": a tab character";
      if (count > 1) text += " (and " + std::to_string(count - 1) + " more)";
      text +=
          "; fields are counted in characters, so a tab is one column and not a jump to a tab stop: use blanks, "
          "values start in column 11";
      warnings.push_back(std::move(text));
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
      textio::FieldReader reader(record, name, static_cast<std::size_t>(line));
      reader.Skip(field.first_column - 1);
      std::string value;
      if (field.kind == ControlField::Kind::kInteger) {
        if (const std::optional<std::int32_t> read = reader.TryI(kNumberWidth)) value = std::to_string(*read);
      } else if (const std::optional<double> read = reader.TryF(kNumberWidth, 0)) {
        value = PlainNumber(*read);
      }
      warnings.push_back(
          name + " line " + std::to_string(line) + ", columns " + std::to_string(field.first_column - 1) + "-" +
          std::to_string(field.first_column) + ": the number " + Quoted(record.substr(start, end - start + 1)) +
          " runs across the start of the " + std::string(field.name) + " field (columns " +
          std::to_string(field.first_column) + "-" + std::to_string(field.last_column) + "), which alone is read" +
          (value.empty() ? std::string(" and holds no number") : ": " + value) + "; move the number into its field");
    }
  }
  return warnings;
}

ControlSettings ReadControlFile(const std::string& path, const WarningSink& warn) {
  const std::optional<textio::TextFile> file = textio::TextFile::Open(path);
  if (!file) {
    throw RunStop::ConsoleLine("   " + std::string(messages::kCannotOpenControlFile), CannotOpenExplanation(path));
  }
  if (warn) {
    for (const std::string& warning : ControlFileWarnings(*file)) warn(warning);
  }
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
